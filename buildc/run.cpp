// The generator run: one fixed pass of loads and writes beside the program.
#include "buildc/buildc.h"
#include "buildc/package.h"
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
// warnings once it is read.
run_outcome load_inputs(const char* prog, catalog& cat, board_set& set) {
  run_outcome r;
  warning_list warnings;
  r.cfg = load_config(prog, "cfg", cat, warnings);
  print_warnings(warnings);
  if (r.cfg != status::ok) return r;
  warnings.clear();
  r.par = load_params(prog, cat, set, warnings);
  print_warnings(warnings);
  return r;
}

// Writes the package files in the table's order, each after reading its old version where
// the table says so. A path that cannot be formed ends the run where it stands.
void write_package(const char* prog, const catalog& cat, const params_rec& ps, run_outcome& r) {
  port_state ports{};
  for (const package_file* f = package_files.data(); f->name != nullptr; ++f) {
    const path_ptr path(make_path(prog, f->name));
    if (!path) {
      r.paths = status::failed;
      return;
    }
    if (f->load != nullptr) keep_first(r.files, f->load(prog, path.get(), ports));
    keep_first(r.files, write_package_file(prog, *f, path.get(), cat, ps, ports));
  }
}

// A file that could not be read or written has been reported, and the other files of the
// package stand: only what stops the run fails it.
int exit_status(const run_outcome& r) {
  const bool stopped = r.cfg != status::ok || r.par != status::ok || r.paths != status::ok;
  return stopped ? 1 : 0;
}

}  // namespace

int run(const char* prog) {
  catalog cat{};
  board_set set{};
  run_outcome r = load_inputs(prog, cat, set);
  if (r.cfg == status::ok && r.par == status::ok) write_package(prog, cat, set.params, r);
  return exit_status(r);
}
