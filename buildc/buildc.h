// buildc, a program over the layers base, model, package and check: the generator run and
// the writers of the driver package.
//
// Each writer prints its whole file into an out_file from the catalog and the boards it is
// given, and from the port state carried over from the old "Init" and "dces" where its
// file depends on it. The files and how each is replaced are listed in
// package/package_files.h; package_writers below gives each row its writer.
#pragma once

#include <iterator>
#include <string>

#include "base/error.h"
#include "base/files.h"
#include "base/out_file.h"
#include "model/catalog.h"
#include "model/records.h"
#include "package/package_files.h"

namespace kdz {

// The type of a board of the set. REQUIRES: the board's type is a type of `cat`.
inline const btype_rec& type_of(const catalog& cat, const board_rec& b) {
  return cat.config.types[b.type];
}

// "kdzspc.h": the #define lines.
void write_space(out_file& f, const catalog& cat, const params_rec& ps);
// "System": one line per board, windows merged into ranges.
void write_sdevice(out_file& f, const catalog& cat, const params_rec& ps);
// "Init": two getty lines per port, switched on where `ports` has the line enabled.
void write_init(out_file& f, const catalog& cat, const params_rec& ps, const port_state& ports);
// "dces" and "dtes": the lines of DCE-capable boards that `ports` has as DCE lines, and
// the others.
void write_dces(out_file& f, const catalog& cat, const params_rec& ps, const port_state& ports);
void write_dtes(out_file& f, const catalog& cat, const params_rec& ps, const port_state& ports);
// Clears the DCE flags of `ports` that write_dces does not write, leaving those that
// read_dce_flags reads back from the "dces" it writes (the lines where they stood are not
// renumbered): what the check then finds in that file.
void keep_listed_dces(const catalog& cat, const params_rec& ps, port_state& ports);
// "Node": the package node, then three per port; a DCE line's tty minor lies eight above.
void write_node(out_file& f, const catalog& cat, const params_rec& ps, const port_state& ports);

// Prints a file's whole text from the catalog, the boards and the old port state.
using package_writer = void (*)(out_file& f, const catalog& cat, const params_rec& ps,
                                const port_state& ports);
// A writer whose file does not depend on the old port state, in the table's shape.
template <void (*writer)(out_file&, const catalog&, const params_rec&)>
void without_ports(out_file& f, const catalog& cat, const params_rec& ps, const port_state&) {
  writer(f, cat, ps);
}
// The writer of each row of package_files.
inline constexpr package_writer package_writers[] = {
    without_ports<write_space>,
    without_ports<write_sdevice>,
    write_init,
    write_dces,
    write_dtes,
    write_node,
};
static_assert(std::size(package_writers) == PKG_FILES && package_writers[PKG_INIT] == write_init &&
                  package_writers[PKG_DCES] == write_dces,
              "package_writers follows the rows of package_files, one writer each");

// What the command line asks of a run.
struct run_options {
  bool force = false;             // -f: write even from a "par" read with warnings
  bool dry_run = false;           // -n: write nothing, name each file that would change
  const char* out_dir = nullptr;  // -o DIR: write the files there (made when missing), not
                                  // in the package
};

// What a run came to: what it has to say on standard output and on standard error, in the
// order it met it, and what each part came to, from which exit_status decides the run's
// status.
struct run_outcome {
  std::string out;  // the readers' warnings, and what a dry run would change
  error_list told;
  error_kind pending = error_kind::ok;  // a change left pending stopped the run, or one
                                        // could not be finished, or the lock not had
  error_kind cfg = error_kind::ok;
  error_kind par = error_kind::ok;    // failed too for a "par" read with warnings, without -f
  error_kind old = error_kind::ok;    // failed when an old "Init" or "dces" exists but was not read
  error_kind paths = error_kind::ok;  // the path of a package file could not be formed
  error_kind out_dir = error_kind::ok;  // -o DIR was missing and could not be made
  error_kind files = error_kind::ok;    // the change could not be made
  int warnings = 0;                     // of both readers: the check counts each as a problem
};

// Under the package directory's writers' lock (with a change a crash left finished first,
// package/change.h), reads "cfg", "par" and the old "Init" and "dces" there, then writes the
// driver package there as one change (or as `options` say: -n names what would change; -o
// DIR, made with its parents when missing, gets the files, under its own lock), then counts
// what `editpar -c` would find in the set as written. A run that must not write (-n, -o)
// and finds a change pending in the package directory does nothing else. Nothing is
// written or made when an input cannot be had or read cleanly (a "cfg" or "par" read with
// warnings, without -f) or a path cannot be formed; a file that cannot be written leaves
// every file as it was (each failure told). Prints nothing itself.
[[nodiscard]] run_outcome run(const program_files& at, const run_options& options);
// The exit status of a run: 1 when a pending change, an input, -o DIR that could not be
// made, a path that could not be formed, or a file that could not be written stopped it; 0
// otherwise.
int exit_status(const run_outcome& r);

// Says `e` on standard error after the program's name `prog`. Every message of buildc goes
// out here.
void tell(const char* prog, const error& e);

// The command line of buildc: [-C DIR] [-f] [-n | -o DIR], -h, --help, --version, in any
// order and bundled, judged whole before -C DIR is entered. Returns the exit status of the
// whole program, once standard output is flushed.
int buildc_main(const char* prog, int argc, char** argv);

}  // namespace kdz
