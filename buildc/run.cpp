// The generator run: one fixed pass of loads and writes in the package directory.
#include <fmt/format.h>

#include "buildc/buildc.h"
#include "buildc/out_file.h"
#include "buildc/package.h"
#include "libcfg/command_line.h"
#include "libcfg/libcfg.h"

namespace {

// What each part of the run came to; the exit status is decided from it at the end.
struct run_outcome {
  status cfg = status::ok;
  status par = status::ok;
  status paths = status::ok;  // failed when the path of a package file could not be formed
  status files = status::ok;  // the first old file that could not be read or new one written
};

void keep_first(status& kept, status s) {
  if (kept == status::ok) kept = s;
}

// Reads "cfg", then "par" when there is a catalog to read it with, printing each file's
// warnings once it is read, and after a failure where the file was looked for.
run_outcome load_inputs(const program_files& at, catalog& cat, board_set& set) {
  run_outcome r;
  warning_list warnings;
  r.cfg = load_config(at, "cfg", cat, warnings);
  print_warnings(warnings);
  if (r.cfg != status::ok) {
    tell_where_cfg_is(at);
    return r;
  }
  warnings.clear();
  r.par = load_params(at, cat, set, warnings);
  print_warnings(warnings);
  if (r.par == status::missing) tell_par_missing(at);
  return r;
}

// Where a run puts its files: the package directory, or the directory of -o.
struct destination {
  const program_files& package;  // where the old "Init" and "dces" are read
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

// Reads the old version of one file (at `old_path`) where the table says so, then writes
// the file at `path`.
status make_file(const destination& to, const package_file& f, const char* old_path,
                 const char* path, const catalog& cat, const params_rec& ps, port_state& ports) {
  status s = status::ok;
  if (f.load != nullptr) keep_first(s, f.load(to.package.prog, old_path, ports));
  out_file text;
  f.write(text, cat, ps, ports);
  keep_first(s, put_file(to, f, path, text.text()));
  return s;
}

// Writes the package files in the table's order. A path that cannot be formed ends the run
// where it stands.
void write_package(const destination& to, const catalog& cat, const params_rec& ps,
                   run_outcome& r) {
  port_state ports{};
  for (const package_file* f = package_files.data(); f->name != nullptr; ++f) {
    const path_ptr path(make_path(to.out, f->name));
    // With -o the old "Init" and "dces" are still those of the package directory.
    const bool elsewhere = f->load != nullptr && to.options.out_dir != nullptr;
    const path_ptr old_path(elsewhere && path ? make_path(to.package, f->name) : nullptr);
    if (!path || (elsewhere && !old_path)) {
      r.paths = status::failed;
      return;
    }
    const char* old = elsewhere ? old_path.get() : path.get();
    keep_first(r.files, make_file(to, *f, old, path.get(), cat, ps, ports));
  }
}

// A file that could not be read or written has been reported, and the other files of the
// package stand: only what stops the run fails it.
int exit_status(const run_outcome& r) {
  const bool stopped = r.cfg != status::ok || r.par != status::ok || r.paths != status::ok;
  return stopped ? 1 : 0;
}

}  // namespace

int run(const program_files& at, const run_options& options) {
  catalog cat{};
  board_set set{};
  run_outcome r = load_inputs(at, cat, set);
  const destination to{at, options.out_dir ? in_directory(at.prog, options.out_dir) : at, options};
  if (r.cfg == status::ok && r.par == status::ok) write_package(to, cat, set.params, r);
  return exit_status(r);
}
