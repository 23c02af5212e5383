// editpar: creates or edits the board parameters "par" of the package directory.
#include <sys/stat.h>

#include <algorithm>
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
#include "editpar/editpar.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"
#include "package/change.h"
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

// Says `e` on standard error after the program's name `prog`. Every message of editpar goes
// out here but the dialogue's screen.
void tell(const char* prog, const error& e) {
  // Put together in place and written whole: one line is one write.
  fmt::memory_buffer lines;
  append_told(lines, prog, e);
  std::fwrite(lines.data(), 1, lines.size(), stderr);
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

// How a run ends after `told`, said: locked out when a lock was held by another, refused
// after another failure, else not at all (done).
run_end said(const char* prog, const error_list& told) {
  for (const error& e : told) tell(prog, e);
  const auto busy = [](const error& e) { return e.kind == error_kind::busy; };
  if (std::any_of(told.begin(), told.end(), busy)) return run_end::locked_out;
  return any_failed(told) ? run_end::refused : run_end::done;
}

// What a writing run does first, under the writers' lock that it lets go again: a change
// that a crash left finished (and said), what killed runs left removed.
run_end open_for_writing(const loaded& run) {
  package_lock writers;
  return said(run.prog, open_package(run.at, writers));
}

// A run that only reads, or previews, stops at a change left pending: its files are neither
// old nor new until the next writing run.
bool pending(const char* prog, const program_files& at) {
  const package_lock none;  // it only reads: it waits for a writer at work, holding nothing
  const error e = refuse_pending(at, none);
  if (!e.ok()) tell(prog, e);
  return !e.ok();
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

// The parameter findings of the set as saved (or as it would be), with the DCE list `ports`,
// each as a warning.
void warn_after_saving(const loaded& run, const check_paths& paths, const port_state& ports) {
  // The dialogue's screen is out before the warnings about what it saved.
  std::fflush(stdout);
  for (const finding& f : parameter_findings(run.cat, run.set, ports)) {
    tell(run.prog, warning(finding_line("warning: ", paths, f)));
  }
}

// Saves the set as quitting the menus does, then warns of what the check finds in the set
// as written.
run_end save(loaded& run) {
  const run_end end = said(run.prog, save_session(run.at, run.cat, run.set, run.read));
  if (end != run_end::done) return end;
  check_paths paths;
  port_state ports{};
  if (old_state(run, paths, ports)) warn_after_saving(run, paths, ports);
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
  if (pending(prog, at)) return run_end::refused;
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
  if (const run_end end = open_for_writing(run); end != run_end::done) return end;
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
run_end preview(loaded& run) {
  std::vector<file_preview> files;
  if (error e = preview_session(run.at, run.cat, run.set, run.read, files); !e.ok()) {
    tell(run.prog, e);
    return run_end::refused;
  }
  for (const file_preview& f : files) {
    if (f.now == f.after) continue;
    if (error e = print_diff(f.name, f.now, f.after); !e.ok()) {
      tell(run.prog, e);
      return run_end::refused;
    }
  }
  check_paths paths;
  port_state ports{};
  if (!old_state(run, paths, ports)) return run_end::done;
  for (file_preview& f : files) {
    if (std::strcmp(f.name, "dces") == 0) ports = dces_after(f.after);
  }
  warn_after_saving(run, paths, ports);
  return run_end::done;
}

// Changes from the command line: all of them or none, saved as quitting the menus saves,
// or with `preview_only` shown and not saved.
run_end script_call(const char* prog, const program_files& at, const script& s, bool preview_only) {
  loaded run{prog, at};
  par_lock lock;
  if (!lock_files(run, lock, true)) return run_end::locked_out;
  if (preview_only && pending(prog, at)) return run_end::refused;
  if (const run_end end = preview_only ? run_end::done : open_for_writing(run);
      end != run_end::done) {
    return end;
  }
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
  std::string why;
  if (!apply_script(ed, s, fresh, why)) {
    tell(prog, failure(why));
    return run_end::refused;
  }
  return preview_only ? preview(run) : save(run);
}

run_end run_call(const char* prog, const call& c) {
  switch (c.cmd) {
    case command::script:
      return script_call(prog, c.at, c.changes, c.preview);
    case command::edit:
      return edit(prog, c.at, c.bus_word, c.force);
    default:
      return read_only(c.cmd, prog, c.at);
  }
}

// The call's command line, judged whole, then the call, to its exit status.
int run_command(const char* prog, int argc, char** argv, command& cmd) {
  call c;
  if (error e = read_call(prog, argc, argv, c); !e.ok()) {
    tell(prog, e);
    return exit_status(cmd, run_end::bad_call);
  }
  cmd = c.cmd;
  if (c.cmd == command::help || c.cmd == command::version) {
    return run_common_mode(c.cmd == command::help ? common_mode::help : common_mode::version,
                           "editpar", editpar_usage);
  }
  return exit_status(cmd, run_call(prog, c));
}

// The whole program, from its command line to its exit status.
int editpar_main(int argc, char** argv) {
  const char* prog = start_program(argc, argv);
  command cmd = command::edit;
  const int status = run_command(prog, argc, argv, cmd);
  // What it printed is part of what it was asked: a run that could not print it failed.
  const error out = flush_stdout();
  if (out.ok()) return status;
  tell(prog, out);
  return std::max(status, exit_status(cmd, run_end::output_lost));
}

}  // namespace

}  // namespace kdz

int main(int argc, char** argv) {
  return kdz::editpar_main(argc, argv);
}
