// The generator run: under the writers' lock, every input read, then one fixed pass of
// writes in the package directory, then what the check would say of the result.
#include <fmt/compile.h>
#include <fmt/format.h>

#include <cstring>
#include <string_view>

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

// What each part of the run came to; the exit status is decided from it at the end.
struct run_outcome {
  status cfg = status::ok;
  status par = status::ok;    // failed too for a "par" read with warnings, without -f
  status old = status::ok;    // the first old "Init" or "dces" that exists but was not read
  status paths = status::ok;  // failed when the path of a package file could not be formed
  status files = status::ok;  // the first new file that could not be written
  int warnings = 0;           // of both readers: the check counts each as a problem
};

void keep_first(status& kept, status s) {
  if (kept == status::ok) kept = s;
}

// Whether the run went as far as writing, and so on to the end.
bool inputs_read(const run_outcome& r) {
  return r.cfg == status::ok && r.par == status::ok && r.old == status::ok && r.paths == status::ok;
}

// Reads "cfg", then "par" when there is a catalog to read it with, printing each file's
// warnings once it is read, and after a failure where the file was looked for. A file the
// reader warned about lost what the warnings name: writing from it would drop or change
// the lines of those boards for good, unless -f says to.
run_outcome load_inputs(const program_files& at, const run_options& options, catalog& cat,
                        board_set& set) {
  run_outcome r;
  warning_list warnings;
  r.cfg = load_config(at, "cfg", cat, warnings);
  print_warnings(warnings);
  r.warnings = static_cast<int>(warnings.size());
  if (r.cfg != status::ok) {
    tell_where_cfg_is(at);
    return r;
  }
  if (!warnings.empty() && !options.force) {
    write_text(stderr, fmt::format("{}: cfg read with warnings: nothing written (buildc -f "
                                   "writes anyway)\n",
                                   at.prog));
    r.cfg = status::failed;
    return r;
  }
  warnings.clear();
  r.par = load_params(at, cat, set, warnings);
  print_warnings(warnings);
  r.warnings += static_cast<int>(warnings.size());
  if (r.par == status::missing) tell_par_missing(at);
  if (r.par == status::ok && !warnings.empty() && !options.force) {
    write_text(stderr, fmt::format("{}: par read with warnings: nothing written (buildc -f "
                                   "writes anyway)\n",
                                   at.prog));
    r.par = status::failed;
  }
  return r;
}

// Reads the old versions the table names, from the package directory whatever the
// destination, all of them before any file is written. A missing one leaves its flags
// clear; every other failure has been reported and stops the run.
void load_old_files(const program_files& at, port_state& ports, run_outcome& r) {
  for (const package_file* f = package_files.data(); f->name != nullptr; ++f) {
    if (f->load == nullptr) continue;
    const path_ptr path(make_path(at, f->name));
    if (!path) {
      r.paths = status::failed;
      return;
    }
    if (f->load(at.prog, path.get(), ports) == status::failed) r.old = status::failed;
  }
}

// Where a run puts its files: the package directory, or the directory of -o.
struct destination {
  const program_files& package;  // whose name the messages give
  program_files out;             // where the files are written
  const run_options& options;
};

// Puts one file of the package in place, or for a dry run names it when it would change.
status put_file(const destination& to, const package_file& f, const char* path,
                std::string_view text) {
  if (to.options.dry_run) {
    if (!file_holds(path, text)) write_text(stdout, fmt::format("{}\n", f.name));
    return status::ok;
  }
  // A file written elsewhere replaces nothing of the package: no ".old" copy there.
  const unsigned flags = to.options.out_dir != nullptr ? f.flags & ~KEEP_OLD : f.flags;
  return replace_file(to.package.prog, f.func, path, text, flags);
}

// Writes the package files in the table's order; a file that could not be written has
// been reported, and the run goes on with the next one. A path that cannot be formed ends
// the run where it stands. Whether "dces" now holds what the run wrote (for a dry run,
// whether it would).
bool write_package(const destination& to, const catalog& cat, const params_rec& ps,
                   const port_state& ports, run_outcome& r) {
  bool dces_written = false;
  for (const package_file* f = package_files.data(); f->name != nullptr; ++f) {
    const path_ptr path(make_path(to.out, f->name));
    if (!path) {
      r.paths = status::failed;
      return dces_written;
    }
    out_file text;
    package_writers[f - package_files.data()](text, cat, ps, ports);
    const status put = put_file(to, *f, path.get(), text.text());
    keep_first(r.files, put);
    if (f == &package_files[PKG_DCES]) dces_written = put == status::ok;
  }
  return dces_written;
}

// The directory of -o, made with its parents once every input is accepted, so that a run
// refused for its inputs leaves nothing behind. False after reporting why it cannot be.
bool make_out_dir(const char* prog, const char* dir) {
  const int error = make_directories(dir);
  if (error != 0)
    write_text(stderr, fmt::format("{}: -o {}: {}\n", prog, dir, std::strerror(error)));
  return error == 0;
}

// What `editpar -c` would find in the set as written, said only when it finds something:
// buildc writes whatever the check thinks of the set, and the user runs the check rarely.
void tell_findings(const char* prog, const catalog& cat, const board_set& set,
                   const port_state& ports, int warnings) {
  const int found = count_findings(cat, set, ports) + warnings;
  if (found == 0) return;
  write_text(stderr,
             fmt::format(FMT_COMPILE("{}: warning: editpar -c finds {} problem(s) in this set\n"),
                         prog, found));
}

// An input that could not be had or read cleanly stopped the run before it wrote anything;
// a file that could not be written did not stop it, but the package is not what was asked.
int exit_status(const run_outcome& r) {
  return inputs_read(r) && r.files == status::ok ? 0 : 1;
}

}  // namespace

int run(const program_files& at, const run_options& options) {
  // Held to the end: a second run waits, then finds its files current.
  const package_lock lock(at);
  catalog cat{};
  board_set set{};
  run_outcome r = load_inputs(at, options, cat, set);
  port_state ports{};
  if (inputs_read(r)) load_old_files(at, ports, r);
  if (!inputs_read(r)) return exit_status(r);
  if (options.out_dir != nullptr && !make_out_dir(at.prog, options.out_dir)) return 1;
  const destination to{at, options.out_dir ? in_directory(at.prog, options.out_dir) : at, options};
  // The check reads the "dces" written, or the old one where it stayed.
  if (write_package(to, cat, set.params, ports, r)) keep_listed_dces(cat, set.params, ports);
  if (r.paths == status::ok) tell_findings(at.prog, cat, set, ports, r.warnings);
  return exit_status(r);
}

}  // namespace kdz
