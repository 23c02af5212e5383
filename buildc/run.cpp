// The generator run: under the writers' lock, every input read, then one fixed pass of
// writes in the package directory, then what the check would say of the result.
#include <fmt/compile.h>
#include <fmt/format.h>

#include <string_view>
#include <utility>

#include "base/files.h"
#include "base/out_file.h"
#include "base/program.h"
#include "base/replace_file.h"
#include "buildc/buildc.h"
#include "check/check.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"
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
  return r.cfg == error_kind::ok && r.par == error_kind::ok && r.old == error_kind::ok &&
         r.paths == error_kind::ok;
}

// Reads "cfg", then "par" when there is a catalog to read it with, printing each file's
// warnings once it is read; after a failure, where the file was looked for. A file the
// reader warned about lost what the warnings name: writing from it would drop or change
// the lines of those boards for good, unless -f says to.
void load_inputs(const program_files& at, const run_options& options, catalog& cat, board_set& set,
                 run_outcome& r) {
  warning_list warnings;
  r.cfg = keep(r, load_config(at, "cfg", cat, warnings));
  print_warnings(warnings);
  r.warnings = static_cast<int>(warnings.size());
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
  print_warnings(warnings);
  r.warnings += static_cast<int>(warnings.size());
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

// Where a run puts its files: the package directory, or the directory of -o.
struct destination {
  program_files out;  // where the files are written
  const run_options& options;
};

// Puts one file of the package in place, or for a dry run names it when it would change.
error put_file(const destination& to, const package_file& f, const char* path,
               std::string_view text) {
  if (to.options.dry_run) {
    if (!file_holds(path, text)) write_text(stdout, fmt::format("{}\n", f.name));
    return {};
  }
  // A file written elsewhere replaces nothing of the package: no ".old" copy there.
  const unsigned flags = to.options.out_dir != nullptr ? f.flags & ~KEEP_OLD : f.flags;
  return replace_file(f.func, path, text, flags);
}

// Writes the package files in the table's order; a file that could not be written is kept
// for the report, and the run goes on with the next one. A path that cannot be formed ends
// the run where it stands. Whether "dces" now holds what the run wrote (for a dry run,
// whether it would).
bool write_package(const destination& to, const catalog& cat, const params_rec& ps,
                   const port_state& ports, run_outcome& r) {
  bool dces_written = false;
  for (const package_file* f = package_files.data(); f->name != nullptr; ++f) {
    path_ptr path;
    r.paths = keep(r, make_path(to.out, f->name, path));
    if (r.paths != error_kind::ok) return dces_written;
    out_file text;
    package_writers[f - package_files.data()](text, cat, ps, ports);
    const error_kind put = keep(r, put_file(to, *f, path.get(), text.text()));
    if (r.files == error_kind::ok) r.files = put;
    if (f == &package_files[PKG_DCES]) dces_written = put == error_kind::ok;
  }
  return dces_written;
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
  // anything; a file that could not be written did not stop it, but the package is not what
  // was asked.
  return inputs_read(r) && r.out_dir == error_kind::ok && r.files == error_kind::ok ? 0 : 1;
}

run_outcome run(const program_files& at, const run_options& options) {
  run_outcome r;
  // Held to the end: a second run waits, then finds its files current. One that cannot be
  // had is no lock, as on a file system without locks: said, but no failure of the run.
  package_lock lock;
  if (error e = lock_package(at, lock); !e.ok()) r.told.push_back(std::move(e));
  catalog cat{};
  board_set set{};
  load_inputs(at, options, cat, set, r);
  port_state ports{};
  if (inputs_read(r)) load_old_files(at, ports, r);
  if (!inputs_read(r)) return r;
  if (options.out_dir != nullptr && !make_out_dir(options.out_dir, r)) return r;
  const destination to{options.out_dir ? in_directory(options.out_dir) : at, options};
  // The check reads the "dces" written, or the old one where it stayed.
  if (write_package(to, cat, set.params, ports, r)) keep_listed_dces(cat, set.params, ports);
  if (r.paths == error_kind::ok) count_problems(cat, set, ports, r);
  return r;
}

}  // namespace kdz
