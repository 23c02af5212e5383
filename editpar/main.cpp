// editpar: creates or edits the board parameters "par" of the package directory.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include <vector>

#include <fmt/format.h>

#include "base/files.h"
#include "base/program.h"
#include "check/check.h"
#include "check/map.h"
#include "edit/editor.h"
#include "edit/script.h"
#include "edit/session.h"
#include "editpar/editpar.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"
#include "package/locks.h"
#include "package/port_lines.h"

namespace kdz {

namespace {

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
      // The check's findings are its output: without them even a status of 1 says nothing.
      return cmd == command::check ? 2 : 1;
  }
  return 1;
}

// The files a run works on, each read once at its start.
struct loaded {
  catalog cat{};
  board_set set{};
  std::size_t cfg_warnings = 0;
  std::size_t par_warnings = 0;
  std::size_t warnings = 0;  // of both readers
  par_as_read read;          // "par" as read, for the save to find it unchanged
};

// Reads "cfg" and prints its warnings, as its reader met them; after a failure, where the
// catalog was looked for.
bool read_cfg(const program_files& at, loaded& run) {
  warning_list warnings;
  const status read = load_config(at, "cfg", run.cat, warnings);
  print_warnings(warnings);
  run.cfg_warnings = warnings.size();
  run.warnings += warnings.size();
  if (read != status::ok) tell_where_cfg_is(at);
  return read == status::ok;
}

// A catalog that read with warnings lacks what they name: a set saved from it would
// drop or change it. `refusal` says so after the program's name.
bool cfg_refused(const program_files& at, const loaded& run, const char* refusal) {
  if (run.cfg_warnings == 0) return false;
  write_text(stderr, fmt::format("{}: cfg read with warnings: {}\n", at.prog, refusal));
  return true;
}

// Reads "par" and prints its warnings, as its reader met them. `hint`: a missing "par"
// is followed by how to make one.
bool read_par(const program_files& at, loaded& run, bool hint = false) {
  warning_list warnings;
  const status read = load_par(at, run.cat, run.set, warnings, run.read);
  print_warnings(warnings);
  run.par_warnings = warnings.size();
  run.warnings += warnings.size();
  if (hint && read == status::missing) tell_par_missing(at);
  return read == status::ok;
}

// Whether "par" is absent: only then is a fresh set started. Asked without opening it.
bool par_missing(const program_files& at) {
  const path_ptr path(make_path(at, "par"));
  if (!path) return false;  // load_params meets the same failure and ends the run
  struct stat st {};
  return ::stat(path.get(), &st) != 0 && errno == ENOENT;
}

// Takes the editors' lock for the rest of the run, so that two editors never undo each
// other's changes. False when the run ends here: another editor holds it, or, for a
// script call (`strict`), it cannot be had at all. The dialogue goes on without it, after
// the warning, as it did before there was a lock.
bool lock_files(const program_files& at, par_lock& lock, bool strict) {
  const lock_end got = lock_par(at, lock);
  return got == lock_end::held || (got == lock_end::unavailable && !strict);
}

// The paths the check names, and the old DCE list it reads. False when a path cannot be
// formed (reported).
bool old_state(const program_files& at, check_paths& paths, port_state& ports) {
  if (!form_check_paths(at, paths)) return false;
  ports = old_dces(at.prog, paths);
  return true;
}

// Saves the set as quitting the menus does, then warns of what the check finds in it.
run_end save(const program_files& at, loaded& run) {
  if (save_session(at, run.cat, run.set, run.read) != save_end::saved) {
    return run_end::refused;
  }
  check_paths paths;
  port_state ports{};
  if (old_state(at, paths, ports)) warn_after_saving(at.prog, paths, run.cat, run.set, ports);
  return run_end::done;
}

// -c and -m over what has been read.
run_end check_or_map(command cmd, const program_files& at, const loaded& run) {
  check_paths paths;
  port_state ports{};
  if (!old_state(at, paths, ports)) return cmd == command::map ? run_end::done : run_end::findings;
  if (cmd == command::map) {
    draw_map(paths, run.cat, run.set, ports, stdout);
    return run_end::done;
  }
  const int found =
      check_set(paths, run.cat, run.set, ports, static_cast<int>(run.warnings), stdout);
  return found == 0 ? run_end::done : run_end::findings;
}

// -l, -c, -m: "par" is only read.
run_end read_only(command cmd, const program_files& at) {
  loaded run;
  if (!read_cfg(at, run)) return run_end::load_failed;
  if (cmd == command::list) {
    if (!par_missing(at) && !read_par(at, run)) return run_end::load_failed;
    print_config(run.cat);
    print_params(run.cat, run.set.params);
    return run_end::done;
  }
  if (!read_par(at, run, true)) return run_end::load_failed;
  return check_or_map(cmd, at, run);
}

// The dialogue; `bus_word` names the bus of a fresh set, or is null. A "par" read with
// warnings is edited only when `force`d: saving drops what they name.
run_end edit(const program_files& at, const char* bus_word, bool force) {
  par_lock lock;
  if (!lock_files(at, lock, false)) return run_end::locked_out;
  loaded run;
  if (!read_cfg(at, run)) return run_end::load_failed;
  if (!force &&
      cfg_refused(at, run, "saving would drop what they name (editpar -f edits anyway)")) {
    return run_end::refused;
  }
  if (par_missing(at)) {
    char* bus_args[] = {const_cast<char*>(at.prog), const_cast<char*>(bus_word), nullptr};
    run.set = init_params(bus_word != nullptr ? 2 : 1, bus_args);
  } else if (!read_par(at, run)) {
    return run_end::load_failed;
  } else if (run.par_warnings != 0 && !force) {
    std::fputs(fmt::format("{}: par read with warnings: saving would drop what they name "
                           "(editpar -f edits anyway)\n",
                           at.prog)
                   .c_str(),
               stderr);
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
    std::fprintf(stderr, "%s: end of input: par not written\n", at.prog);
    return run_end::refused;
  }
  return save(at, run);
}

// The DCE list the check reads after a save that rewrites "dces" as `text`: what old_dces
// would read from it (nothing, when it cannot be read).
port_state dces_after(std::string& text) {
  port_state ports{};
  const file_ptr in(fmemopen(text.data(), text.size(), "r"));
  if (in == nullptr || !read_dce_flags(in.get(), ports)) return port_state{};
  return ports;
}

// -n: what the save would write, as diffs, then the check's warnings about the set as it
// would be saved; nothing is written.
run_end preview(const program_files& at, loaded& run) {
  std::vector<file_preview> files;
  if (!preview_session(at, run.cat, run.set, run.read, files)) return run_end::refused;
  for (const file_preview& f : files) {
    if (f.now != f.after && !print_diff(at.prog, f.name, f.now, f.after)) {
      return run_end::refused;
    }
  }
  check_paths paths;
  port_state ports{};
  if (!old_state(at, paths, ports)) return run_end::done;
  for (file_preview& f : files) {
    if (std::strcmp(f.name, "dces") == 0) ports = dces_after(f.after);
  }
  warn_after_saving(at.prog, paths, run.cat, run.set, ports);
  return run_end::done;
}

// Changes from the command line: all of them or none, saved as quitting the menus saves,
// or with `preview` shown and not saved.
run_end script_call(const program_files& at, const script& s, bool preview_only) {
  par_lock lock;
  if (!lock_files(at, lock, true)) return run_end::locked_out;
  loaded run;
  if (!read_cfg(at, run)) return run_end::load_failed;
  if (cfg_refused(at, run, "nothing changed")) return run_end::refused;
  const bool fresh = par_missing(at) && s.changes[0].op == 'a';
  if (fresh) {
    run.set = start_script_set(s);
  } else if (!read_par(at, run)) {
    return run_end::load_failed;
  } else if (run.par_warnings != 0) {
    std::fprintf(stderr, "%s: par read with warnings: a change would drop what they name\n",
                 at.prog);
    return run_end::refused;
  } else {
    unset_empty_bus(run.set.params);
  }
  editor ed(run.cat, run.set, stdin, stdout);
  if (run.set.params.mode == 0) set_mode_unasked(ed);
  std::string why;
  if (!apply_script(ed, s, fresh, why)) {
    std::fprintf(stderr, "%s: %s\n", at.prog, why.c_str());
    return run_end::refused;
  }
  return preview_only ? preview(at, run) : save(at, run);
}

run_end run_call(const call& c) {
  switch (c.cmd) {
    case command::script:
      return script_call(c.at, c.changes, c.preview);
    case command::edit:
      return edit(c.at, c.bus_word, c.force);
    default:
      return read_only(c.cmd, c.at);
  }
}

// The whole program, from its command line to its exit status.
int editpar_main(int argc, char** argv) {
  const char* prog = start_program(argc, argv);
  call c;
  int status = 0;
  if (!read_call(prog, argc, argv, c, status)) return finish_program(prog, status, 1);
  const run_end end = run_call(c);
  return finish_program(prog, exit_status(c.cmd, end), exit_status(c.cmd, run_end::output_lost));
}

}  // namespace

}  // namespace kdz

int main(int argc, char** argv) {
  return kdz::editpar_main(argc, argv);
}
