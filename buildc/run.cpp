// The generator run: under the writers' lock, every input read, then the package files
// written as one change, then what the check would say of the result.
#include <fmt/compile.h>
#include <fmt/format.h>

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/files.h"
#include "base/out_file.h"
#include "base/program.h"
#include "base/staging.h"
#include "buildc/buildc.h"
#include "check/check.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"
#include "package/change.h"
#include "package/locks.h"
#include "package/package_files.h"

namespace kdz {

namespace {

// Keeps what `e` says for the run's report; returns what it came to.
error_kind keep(run_outcome& r, error e) {
  const error_kind kind = e.kind;
  if (kind != error_kind::ok) r.told.push_back(std::move(e));
  return kind;
}

// Whether the run went as far as writing, and so on to the end.
bool inputs_read(const run_outcome& r) {
  return r.pending == error_kind::ok && r.cfg == error_kind::ok && r.par == error_kind::ok &&
         r.old == error_kind::ok && r.paths == error_kind::ok;
}

// Keeps the reader's warnings for standard output, one a line; how many there were.
int keep_warnings(run_outcome& r, const warning_list& warnings) {
  for (const reader_warning& w : warnings) {
    r.out += w.text;
    r.out += '\n';
  }
  return static_cast<int>(warnings.size());
}

// Reads "cfg", then "par" when there is a catalog to read it with, keeping each file's
// warnings for standard output once it is read; after a failure, where the file was looked for. A
// file the reader warned about lost what the warnings name: writing from it would drop or change
// the lines of those boards for good, unless -f says to.
void load_inputs(const program_files& at, const run_options& options, catalog& cat, board_set& set,
                 run_outcome& r) {
  warning_list warnings;
  r.cfg = keep(r, load_config(at, "cfg", cat, warnings));
  r.warnings = keep_warnings(r, warnings);
  if (r.cfg != error_kind::ok) {
    r.told.push_back(cfg_looked_for(at));
    return;
  }
  if (!warnings.empty() && !options.force) {
    r.cfg = keep(r, failure("cfg read with warnings: nothing written (buildc -f writes anyway)"));
    return;
  }
  warnings.clear();
  r.par = keep(r, load_params(at, cat, set, warnings));
  r.warnings += keep_warnings(r, warnings);
  if (r.par == error_kind::missing) r.told.push_back(no_par_in(at));
  if (r.par == error_kind::ok && !warnings.empty() && !options.force) {
    r.par = keep(r, failure("par read with warnings: nothing written (buildc -f writes anyway)"));
  }
}

// Reads the old versions the table names, from the package directory whatever the
// destination, all of them before any file is written. A missing one leaves its flags
// clear, and is no failure; any other stops the run.
void load_old_files(const program_files& at, port_state& ports, run_outcome& r) {
  for (const package_file* f = package_files.data(); f->name != nullptr; ++f) {
    if (f->load == nullptr) continue;
    path_ptr path;
    r.paths = keep(r, make_path(at, f->name, path));
    if (r.paths != error_kind::ok) return;
    error read = f->load(path.get(), ports);
    if (read.kind != error_kind::missing && keep(r, std::move(read)) != error_kind::ok) {
      r.old = error_kind::failed;
    }
  }
}

// A dry run names each file of the package that would change, in the table's order.
void name_changes(const program_files& at, const catalog& cat, const params_rec& ps,
                  const port_state& ports, run_outcome& r) {
  for (const package_file* f = package_files.data(); f->name != nullptr; ++f) {
    path_ptr path;
    r.paths = keep(r, make_path(at, f->name, path));
    if (r.paths != error_kind::ok) return;
    out_file text;
    package_writers[f - package_files.data()](text, cat, ps, ports);
    if (file_holds(path.get(), text.text())) continue;
    r.out += f->name;
    r.out += '\n';
  }
}

// The texts of the package files, one per row of the table.
using package_texts = std::array<out_file, PKG_FILES>;

// The files of the package, each with its text in `texts`, as one change in `to`; elsewhere
// (-o DIR), each replaced as a name, without ".old" copies. False when a path cannot be
// formed.
bool package_change(const program_files& to, bool elsewhere, const catalog& cat,
                    const params_rec& ps, const port_state& ports, package_texts& texts,
                    std::vector<change_file>& files, run_outcome& r) {
  for (const package_file* f = package_files.data(); f->name != nullptr; ++f) {
    path_ptr path;
    r.paths = keep(r, make_path(to, f->name, path));
    if (r.paths != error_kind::ok) return false;
    out_file& text = texts[static_cast<std::size_t>(f - package_files.data())];
    package_writers[f - package_files.data()](text, cat, ps, ports);
    files.push_back({f->func, path.get(), text.text(), f->keep_old && !elsewhere, elsewhere});
  }
  return true;
}

// The directory of -o, made with its parents once every input is accepted, so that a run
// refused for its inputs leaves nothing behind. False, with why it cannot be, when it cannot.
bool make_out_dir(const char* dir, run_outcome& r) {
  const int number = make_directories(dir);
  if (number == 0) return true;
  r.out_dir = error_kind::failed;
  r.told.push_back(failure(fmt::format("-o {}: ", dir), number));
  return false;
}

// Keeps what each of `told` says; whether none is a failure.
bool keep_all(run_outcome& r, error_list told) {
  const bool ok = !any_failed(told);
  for (error& e : told) r.told.push_back(std::move(e));
  return ok;
}

// Writes the package files into the package directory, or into -o DIR (under its own lock,
// with what a crash left there finished first), as one change. False when the writers' lock
// file appeared while the inputs were read without it: they may be stale.
bool write_package(const program_files& at, const run_options& options, package_lock& lock,
                   const std::vector<change_file>& files, run_outcome& r) {
  const bool elsewhere = options.out_dir != nullptr;
  package_lock out_lock;
  const program_files to = elsewhere ? in_directory(options.out_dir) : at;
  if (elsewhere) {
    lock.release();  // the package is read: its lock is let go before another is taken
    if (!make_out_dir(options.out_dir, r)) return true;
    if (!keep_all(r, open_package(to, out_lock, true))) {
      r.files = error_kind::failed;
      return true;
    }
  }
  package_lock& held = elsewhere ? out_lock : lock;
  change_outcome made = make_change(to, held, files);
  // Elsewhere nothing was read: the files' texts stand.
  if (made.stale && elsewhere) made = make_change(to, held, files);
  if (made.stale) return false;
  if (!keep_all(r, std::move(made.told))) r.files = error_kind::failed;
  return true;
}

// What `editpar -c` would find in the set as written, said only when it finds something:
// buildc writes whatever the check thinks of the set, and the user runs the check rarely.
void count_problems(const catalog& cat, const board_set& set, const port_state& ports,
                    run_outcome& r) {
  const int found = count_findings(cat, set, ports) + r.warnings;
  if (found == 0) return;
  r.told.push_back(warning(
      fmt::format(FMT_COMPILE("warning: editpar -c finds {} problem(s) in this set"), found)));
}

}  // namespace

int exit_status(const run_outcome& r) {
  // An input that could not be had or read cleanly stopped the run before it wrote
  // anything; a file that could not be written left every file of the change as it was.
  return inputs_read(r) && r.out_dir == error_kind::ok && r.files == error_kind::ok ? 0 : 1;
}

namespace {

// What a run does first: a writing run takes the package's writers' lock and finishes what a
// crash left; a dry run or a run into -o DIR waits for a writer at work and refuses a change
// left pending. False when the run ends here.
bool open_run(const program_files& at, const run_options& options, package_lock& lock,
              run_outcome& r) {
  if (options.dry_run || options.out_dir != nullptr) {
    error e = lock_package(at, lock);
    if (e.ok()) e = refuse_pending(at, lock);
    r.pending = keep(r, std::move(e));
    return r.pending == error_kind::ok;
  }
  const bool ok = keep_all(r, open_package(at, lock));
  if (!ok) r.pending = error_kind::failed;
  return ok;
}

// One try at the run, holding `lock` where the package has one; false when it must be tried
// again under the lock, which is then held.
bool run_once(const program_files& at, const run_options& options, package_lock& lock,
              run_outcome& r) {
  r = {};
  if (!open_run(at, options, lock, r)) return true;
  catalog cat{};
  board_set set{};
  load_inputs(at, options, cat, set, r);
  port_state ports{};
  if (inputs_read(r)) load_old_files(at, ports, r);
  if (!inputs_read(r)) return true;
  package_texts texts;
  std::vector<change_file> files;
  files.reserve(PKG_FILES);
  if (options.dry_run) {
    name_changes(at, cat, set.params, ports, r);
  } else {
    const program_files to = options.out_dir ? in_directory(options.out_dir) : at;
    if (!package_change(to, options.out_dir != nullptr, cat, set.params, ports, texts, files, r)) {
      return true;
    }
    if (!write_package(at, options, lock, files, r)) return false;
  }
  if (!inputs_read(r) || r.out_dir != error_kind::ok) return true;
  // The check reads the "dces" as the run left it: written, or the old one where it stayed.
  if (r.files == error_kind::ok) keep_listed_dces(cat, set.params, ports);
  count_problems(cat, set, ports, r);
  return true;
}

}  // namespace

run_outcome run(const program_files& at, const run_options& options) {
  // Held to the end: a second run waits, then finds its files current.
  package_lock lock;
  run_outcome r;
  while (!run_once(at, options, lock, r)) {
  }
  return r;
}

}  // namespace kdz
