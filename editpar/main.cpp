// editpar: creates or edits the board parameters "par" beside the program.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "libcfg/editor.h"

namespace {

constexpr char usage[] =
    "usage: editpar [at|mc]   create or edit \"par\" interactively\n"
    "       editpar -l        list the catalog and the parameters\n"
    "       editpar -c        check the parameters against the catalog\n"
    "       editpar -m        draw a map of the boards' irqs, I/O ranges and memory\n"
    "       editpar -h        print this text\n"
    "change \"par\" from a script, one or more changes in one call:\n"
    "       editpar -a TYPE [key=VALUE ...]   add a board of type TYPE\n"
    "       editpar -d N                      delete board N (from 1)\n"
    "       editpar -e N key=VALUE ...        change values of board N\n"
    "       editpar -M interrupt|polling      set the driver mode\n"
    "       keys: size=, irq= (decimal), ioa=, dpa= (hexadecimal), bus=at|mc (new par)\n";

// What a call asks for, by its first argument.
enum class command { edit, help, list, check, map, script, bad_option };

struct command_row {
  const char* option;
  command cmd;
};
constexpr command_row commands[] = {
    {"-h", command::help},   {"-l", command::list},   {"-c", command::check},
    {"-m", command::map},    {"-a", command::script}, {"-d", command::script},
    {"-e", command::script}, {"-M", command::script}, {nullptr, command::edit},
};

command command_of(const char* first) {
  for (const command_row& row : commands) {
    if (row.option != nullptr && std::strcmp(first, row.option) == 0) return row.cmd;
  }
  return first[0] == '-' ? command::bad_option : command::edit;
}

// How a run ended; exit_status makes it the program's status.
enum class run_end {
  done,
  findings,     // the check found what it reports
  refused,      // the input ended, a change was refused, "par" could not be saved
  load_failed,  // "cfg" or "par" could not be read
  bad_call,     // an option or a script not understood
  locked_out,   // another editor holds the lock
  output_lost,  // standard output could not be written
};

// Every exit status of editpar. A check, a map or a script whose files cannot be read ends
// as a call not understood does, so that a script tells them from findings and refusals.
int exit_status(command cmd, run_end end) {
  const bool reads_for_script = cmd == command::check || cmd == command::map;
  switch (end) {
    case run_end::done:
      return 0;
    case run_end::findings:
    case run_end::refused:
      return 1;
    case run_end::load_failed:
      return reads_for_script || cmd == command::script ? 2 : 1;
    case run_end::bad_call:
      return 2;
    case run_end::locked_out:
      return 3;
    case run_end::output_lost:
      return cmd == command::check ? 2 : 1;
  }
  return 1;
}

// The files a run works on, each read once at its start.
struct loaded {
  catalog cat{};
  board_set set{};
  std::size_t par_warnings = 0;
  std::size_t warnings = 0;  // of both readers
};

// Reads "cfg" and prints its warnings, as its reader met them.
bool read_cfg(const char* prog, loaded& run) {
  warning_list warnings;
  const status read = load_config(prog, "cfg", run.cat, warnings);
  print_warnings(warnings);
  run.warnings += warnings.size();
  return read == status::ok;
}

// Reads "par" and prints its warnings, as its reader met them.
bool read_par(const char* prog, loaded& run) {
  warning_list warnings;
  const status read = load_params(prog, run.cat, run.set, warnings);
  print_warnings(warnings);
  run.par_warnings = warnings.size();
  run.warnings += warnings.size();
  return read == status::ok;
}

// Whether "par" is absent: only then is a fresh set started. Asked without opening it.
bool par_missing(const char* prog) {
  const path_ptr path(make_path(prog, "par"));
  if (!path) return false;  // load_params meets the same failure and ends the run
  struct stat st {};
  return ::stat(path.get(), &st) != 0 && errno == ENOENT;
}

// The open directory whose lock this editor holds; the lock lasts as long as it is open.
struct dir_lock {
  int fd = -1;
  dir_lock() = default;
  dir_lock(const dir_lock&) = delete;
  dir_lock& operator=(const dir_lock&) = delete;
  ~dir_lock() {
    if (fd >= 0) ::close(fd);
  }
};

// Takes the lock of the directory of the program's files for the rest of the run, so that
// two editors never undo each other's changes. False when another editor holds it.
bool lock_files(const char* prog, dir_lock& lock) {
  const char* slash = std::strrchr(prog, '/');
  const std::string dir = slash == nullptr ? "." : slash == prog ? "/" : std::string(prog, slash);
  lock.fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lock.fd >= 0 && flock(lock.fd, LOCK_EX | LOCK_NB) == 0) return true;
  if (lock.fd >= 0 && errno == EWOULDBLOCK) {
    std::fprintf(stderr, "%s: par is being edited by another editpar\n", prog);
    return false;
  }
  // Without the lock the editor still works, as it did before there was one.
  const int error = errno;
  std::fprintf(stderr, "%s: cannot lock %s: ", prog, dir.c_str());
  errno = error;
  std::perror("");
  return true;
}

// Saves the set as quitting the menus does, then warns of what the check finds in it.
run_end save(const char* prog, loaded& run) {
  if (save_params(prog, run.cat, run.set) != status::ok) return run_end::refused;
  warn_after_saving(prog, run.cat, run.set);
  return run_end::done;
}

// -l, -c, -m: "par" is only read.
run_end read_only(command cmd, const char* prog) {
  loaded run;
  if (!read_cfg(prog, run)) return run_end::load_failed;
  if (cmd == command::list) {
    if (!par_missing(prog) && !read_par(prog, run)) return run_end::load_failed;
    print_config(run.cat);
    print_params(run.cat, run.set.params);
    return run_end::done;
  }
  if (!read_par(prog, run)) return run_end::load_failed;
  if (cmd == command::map) {
    draw_map(prog, run.cat, run.set, stdout);
    return run_end::done;
  }
  const int found = check_set(prog, run.cat, run.set, static_cast<int>(run.warnings), stdout);
  return found == 0 ? run_end::done : run_end::findings;
}

run_end edit(const char* prog, int argc, char** argv) {
  dir_lock lock;
  if (!lock_files(prog, lock)) return run_end::locked_out;
  loaded run;
  if (!read_cfg(prog, run)) return run_end::load_failed;
  if (par_missing(prog)) {
    run.set = init_params(argc, argv);
  } else if (!read_par(prog, run)) {
    return run_end::load_failed;
  } else {
    unset_empty_bus(run.set.params);
  }
  try {
    editor ed(run.cat, run.set, stdin, stdout);
    if (run.set.params.mode == 0) get_mode(ed);
    edit_params(ed);
  } catch (const end_of_input&) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s: end of input: par not written\n", prog);
    return run_end::refused;
  }
  return save(prog, run);
}

// Changes from the command line: all of them or none, saved as quitting the menus saves.
run_end script_call(const char* prog, int argc, char** argv) {
  script s;
  std::string why;
  if (!parse_script(argc, argv, s, why)) {
    std::fprintf(stderr, "%s: %s\n", prog, why.c_str());
    std::fputs(usage, stderr);
    return run_end::bad_call;
  }
  dir_lock lock;
  if (!lock_files(prog, lock)) return run_end::locked_out;
  loaded run;
  if (!read_cfg(prog, run)) return run_end::load_failed;
  const bool fresh = par_missing(prog) && s.changes[0].op == 'a';
  if (fresh) {
    run.set = start_script_set(s);
  } else if (!read_par(prog, run)) {
    return run_end::load_failed;
  } else if (run.par_warnings != 0) {
    std::fprintf(stderr, "%s: par read with warnings: a change would drop what they name\n", prog);
    return run_end::refused;
  } else {
    unset_empty_bus(run.set.params);
  }
  editor ed(run.cat, run.set, stdin, stdout);
  if (run.set.params.mode == 0) set_mode_unasked(ed);
  if (!apply_script(ed, s, fresh, why)) {
    std::fprintf(stderr, "%s: %s\n", prog, why.c_str());
    return run_end::refused;
  }
  return save(prog, run);
}

run_end run_command(command cmd, const char* prog, int argc, char** argv) {
  switch (cmd) {
    case command::help:
      std::fputs(usage, stdout);
      return run_end::done;
    case command::bad_option:
      std::fputs(usage, stderr);
      return run_end::bad_call;
    case command::script:
      return script_call(prog, argc, argv);
    case command::edit:
      return edit(prog, argc, argv);
    default:
      return read_only(cmd, prog);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* prog = start_program(argc, argv);
  const command cmd = command_of(argc > 1 ? argv[1] : "");
  const run_end end = run_command(cmd, prog, argc, argv);
  return finish_program(prog, exit_status(cmd, end), exit_status(cmd, run_end::output_lost));
}
