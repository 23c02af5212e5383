// editpar: creates or edits the board parameters "par" of the package directory.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <fmt/format.h>

#include "base/error.h"
#include "base/files.h"
#include "base/program.h"
#include "check/check.h"
#include "check/map.h"
#include "edit/editor.h"
#include "edit/script.h"
#include "edit/session.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"
#include "package/locks.h"

namespace kdz {

namespace {

constexpr char usage[] =
    "usage: editpar [-C DIR] [-f] [at|mc]   create or edit \"par\" interactively\n"
    "       editpar [-C DIR] -l   list the catalog and the parameters\n"
    "       editpar [-C DIR] -c   check the parameters against the catalog\n"
    "       editpar [-C DIR] -m   draw a map of the boards' irqs, I/O ranges and memory\n"
    "       editpar -h | --help | --version\n"
    "change \"par\" from a script, one or more changes in one call:\n"
    "       editpar [-C DIR] -a TYPE [key=VALUE ...]   add a board of type TYPE\n"
    "       editpar [-C DIR] -d N                      delete board N (from 1)\n"
    "       editpar [-C DIR] -e N key=VALUE ...        change values of board N\n"
    "       editpar [-C DIR] -M interrupt|polling      set the driver mode\n"
    "       keys: size=, irq= (decimal), ioa=, dpa= (hexadecimal), bus=at|mc (new par)\n"
    "  -C DIR  read and write the files in DIR, not beside the program\n"
    "  -f      edit even a par read with warnings\n";

// What a call asks for, by its first word after [-C DIR].
enum class command { edit, help, version, list, check, map, script, bad_option };

struct command_row {
  const char* option;
  command cmd;
};
constexpr command_row commands[] = {
    {"-h", command::help},   {"--help", command::help}, {"--version", command::version},
    {"-l", command::list},   {"-c", command::check},    {"-m", command::map},
    {"-a", command::script}, {"-d", command::script},   {"-e", command::script},
    {"-M", command::script}, {"-f", command::edit},     {nullptr, command::edit},
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

// Every exit status of editpar, the same in every mode.
int exit_status(command cmd, run_end end) {
  switch (end) {
    case run_end::done:
      return 0;
    case run_end::findings:
    case run_end::refused:
      return 1;
    case run_end::load_failed:
    case run_end::bad_call:
      return 2;
    case run_end::locked_out:
      return 3;
    case run_end::output_lost:
      return cmd == command::check ? 2 : 1;
  }
  return 1;
}

// Says `e` on standard error after the program's name `prog`. Every message of editpar goes
// out here but the dialogue's screen and the usage errors of the command line, each
// followed by the usage.
void tell(const char* prog, const error& e) {
  // Put together in place and written whole: a short message needs no memory, and one line
  // is one write.
  fmt::memory_buffer line;
  line.append(std::string_view(prog));
  line.append(std::string_view(": "));
  append_message(line, e);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
}

// The files a run works on, each read once at its start, and who reads them.
struct loaded {
  const char* prog;  // the program's name, which its messages give
  program_files at;  // the package directory
  catalog cat{};
  board_set set{};
  std::size_t cfg_warnings = 0;
  std::size_t par_warnings = 0;
  std::size_t warnings = 0;  // of both readers
  par_as_read read{};        // "par" as read, for the save to find it unchanged
};

// Reads "cfg" and prints its warnings, as its reader met them; after a failure, where the
// catalog was looked for.
bool read_cfg(loaded& run) {
  warning_list warnings;
  const error read = load_config(run.at, "cfg", run.cat, warnings);
  if (!read.ok()) tell(run.prog, read);
  print_warnings(warnings);
  run.cfg_warnings = warnings.size();
  run.warnings += warnings.size();
  if (!read.ok()) tell(run.prog, cfg_looked_for(run.at));
  return read.ok();
}

// A catalog that read with warnings lacks what they name: a set saved from it would
// drop or change it. `refusal` says so.
bool cfg_refused(const loaded& run, const char* refusal) {
  if (run.cfg_warnings == 0) return false;
  tell(run.prog, failure(fmt::format("cfg read with warnings: {}", refusal)));
  return true;
}

// Reads "par" and prints its warnings, as its reader met them. `hint`: a missing "par"
// is followed by how to make one.
bool read_par(loaded& run, bool hint = false) {
  warning_list warnings;
  const error read = load_par(run.at, run.cat, run.set, warnings, run.read);
  if (!read.ok()) tell(run.prog, read);
  print_warnings(warnings);
  run.par_warnings = warnings.size();
  run.warnings += warnings.size();
  if (hint && read.kind == error_kind::missing) tell(run.prog, no_par_in(run.at));
  return read.ok();
}

// Whether "par" is absent: only then is a fresh set started. Asked without opening it.
bool par_missing(const program_files& at) {
  path_ptr path;
  // load_params meets the same failure and ends the run.
  if (!make_path(at, "par", path).ok()) return false;
  struct stat st {};
  return ::stat(path.get(), &st) != 0 && errno == ENOENT;
}

// Takes the editors' lock for the rest of the run, so that two editors never undo each
// other's changes. False when the run ends here: another editor holds it, or, for a
// script call (`strict`), it cannot be had at all. The dialogue goes on without it, after
// the warning, as it did before there was a lock.
bool lock_files(const loaded& run, par_lock& lock, bool strict) {
  const error got = lock_par(run.at, lock);
  if (!got.ok()) tell(run.prog, got);
  return got.ok() || (got.kind == error_kind::failed && !strict);
}

// The paths the check names, and the old DCE list it reads. False when a path cannot be
// formed (said).
bool old_state(const loaded& run, check_paths& paths, port_state& ports) {
  if (error e = form_check_paths(run.at, paths); !e.ok()) {
    tell(run.prog, e);
    return false;
  }
  ports = old_dces(paths);
  return true;
}

// Saves the set as quitting the menus does, then warns of what the check finds in the set
// as written.
run_end save(loaded& run) {
  const error_list told = save_session(run.at, run.cat, run.set, run.read);
  for (const error& e : told) tell(run.prog, e);
  if (any_failed(told)) return run_end::refused;
  check_paths paths;
  port_state ports{};
  if (!old_state(run, paths, ports)) return run_end::done;
  // The dialogue's screen is out before the warnings about what it saved.
  std::fflush(stdout);
  for (const finding& f : parameter_findings(run.cat, run.set, ports)) {
    tell(run.prog, warning(finding_line("warning: ", paths, f)));
  }
  return run_end::done;
}

// -c and -m over what has been read.
run_end check_or_map(command cmd, const loaded& run) {
  check_paths paths;
  port_state ports{};
  if (!old_state(run, paths, ports)) return cmd == command::map ? run_end::done : run_end::findings;
  if (cmd == command::map) {
    draw_map(paths, run.cat, run.set, ports, stdout);
    return run_end::done;
  }
  const int found =
      check_set(paths, run.cat, run.set, ports, static_cast<int>(run.warnings), stdout);
  return found == 0 ? run_end::done : run_end::findings;
}

// -l, -c, -m: "par" is only read.
run_end read_only(command cmd, const char* prog, const program_files& at) {
  loaded run{prog, at};
  if (!read_cfg(run)) return run_end::load_failed;
  if (cmd == command::list) {
    if (!par_missing(at) && !read_par(run)) return run_end::load_failed;
    print_config(run.cat);
    print_params(run.cat, run.set.params);
    return run_end::done;
  }
  if (!read_par(run, true)) return run_end::load_failed;
  return check_or_map(cmd, run);
}

// The dialogue; `bus_word` names the bus of a fresh set, or is null. A "par" read with
// warnings is edited only when `force`d: saving drops what they name.
run_end edit(const char* prog, const program_files& at, const char* bus_word, bool force) {
  loaded run{prog, at};
  par_lock lock;
  if (!lock_files(run, lock, false)) return run_end::locked_out;
  if (!read_cfg(run)) return run_end::load_failed;
  if (!force && cfg_refused(run, "saving would drop what they name (editpar -f edits anyway)")) {
    return run_end::refused;
  }
  if (par_missing(at)) {
    char* bus_args[] = {const_cast<char*>(prog), const_cast<char*>(bus_word), nullptr};
    run.set = init_params(bus_word != nullptr ? 2 : 1, bus_args);
  } else if (!read_par(run)) {
    return run_end::load_failed;
  } else if (run.par_warnings != 0 && !force) {
    tell(prog, failure("par read with warnings: saving would drop what they name (editpar -f "
                       "edits anyway)"));
    return run_end::refused;
  } else {
    unset_empty_bus(run.set.params);
  }
  try {
    editor ed(run.cat, run.set, stdin, stdout);
    if (run.set.params.mode == 0) get_mode(ed);
    edit_params(ed);
  } catch (const end_of_input&) {
    std::fflush(stdout);
    tell(prog, failure("end of input: par not written"));
    return run_end::refused;
  }
  return save(run);
}

// Changes from the command line: all of them or none, saved as quitting the menus saves.
run_end script_call(const char* prog, const program_files& at, int argc, char** argv) {
  script s;
  std::string why;
  if (!parse_script(argc, argv, s, why)) {
    std::fprintf(stderr, "%s: %s\n", prog, why.c_str());
    std::fputs(usage, stderr);
    return run_end::bad_call;
  }
  loaded run{prog, at};
  par_lock lock;
  if (!lock_files(run, lock, true)) return run_end::locked_out;
  if (!read_cfg(run)) return run_end::load_failed;
  if (cfg_refused(run, "nothing changed")) return run_end::refused;
  const bool fresh = par_missing(at) && s.changes[0].op == 'a';
  if (fresh) {
    run.set = start_script_set(s);
  } else if (!read_par(run)) {
    return run_end::load_failed;
  } else if (run.par_warnings != 0) {
    tell(prog, failure("par read with warnings: a change would drop what they name"));
    return run_end::refused;
  } else {
    unset_empty_bus(run.set.params);
  }
  editor ed(run.cat, run.set, stdin, stdout);
  if (run.set.params.mode == 0) set_mode_unasked(ed);
  if (!apply_script(ed, s, fresh, why)) {
    tell(prog, failure(why));
    return run_end::refused;
  }
  return save(run);
}

// The words of the dialogue: [-f] [WORD], WORD naming the bus by its first letter.
// Sets `force` when -f is given and `bus_word` to the bus named, or null; false after the
// usage error for a word the dialogue does not take.
bool dialogue_words(const char* prog, const std::vector<char*>& words, bool& force,
                    const char*& bus_word) {
  force = !words.empty() && std::strcmp(words[0], "-f") == 0;
  std::size_t i = force ? 1 : 0;
  bus_word = nullptr;
  if (i < words.size() && words[i][0] != '-') {
    bus_word = words[i++];
    if (bus_of_word(bus_word) == 0) {
      std::fprintf(stderr, "%s: unknown bus %s: use at or mc\n", prog, bus_word);
      std::fputs(usage, stderr);
      return false;
    }
  }
  if (i < words.size()) {
    unexpected_argument(prog, words[i], usage);
    return false;
  }
  return true;
}

// The words a mode other than the dialogue and the script calls takes: none after the first.
bool takes_no_more(command cmd) {
  return cmd != command::edit && cmd != command::script && cmd != command::bad_option;
}

run_end run_command(command cmd, const char* prog, const command_words& cl) {
  if (takes_no_more(cmd) && cl.words.size() > 1) {
    unexpected_argument(prog, cl.words[1], usage);
    return run_end::bad_call;
  }
  switch (cmd) {
    case command::help:
    case command::version:
      run_common_mode(common_mode_of(cl.words[0]), "editpar", usage);
      return run_end::done;
    case command::bad_option:
      unknown_option(prog, cl.words[0], usage);
      return run_end::bad_call;
    case command::script: {
      std::vector<char*> args{const_cast<char*>(prog)};
      args.insert(args.end(), cl.words.begin(), cl.words.end());
      return script_call(prog, cl.at, static_cast<int>(args.size()), args.data());
    }
    case command::edit: {
      const char* bus_word = nullptr;
      bool force = false;
      if (!dialogue_words(prog, cl.words, force, bus_word)) return run_end::bad_call;
      return edit(prog, cl.at, bus_word, force);
    }
    default:
      return read_only(cmd, prog, cl.at);
  }
}

// The whole program, from its command line to its exit status.
int editpar_main(int argc, char** argv) {
  const char* prog = start_program(argc, argv);
  command_words cl;
  command cmd = command::bad_option;
  run_end end = run_end::bad_call;
  if (read_command_words(prog, argc, argv, usage, cl)) {
    cmd = command_of(cl.words.empty() ? "" : cl.words[0]);
    end = run_command(cmd, prog, cl);
  }
  // What it printed is part of what it was asked: a run that could not print it failed.
  if (error out = flush_stdout(); !out.ok()) {
    tell(prog, out);
    if (end == run_end::done) end = run_end::output_lost;
  }
  return exit_status(cmd, end);
}

}  // namespace

}  // namespace kdz

int main(int argc, char** argv) {
  return kdz::editpar_main(argc, argv);
}
