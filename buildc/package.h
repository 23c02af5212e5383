// The six files of the driver package: their names, their writers and how each is
// replaced. The generator writes them all in this order; the editor rewrites "Init" and
// "dces" through the same rows.
#pragma once

#include <array>

#include "libcfg/libcfg.h"

class out_file;

// Prints a file's whole text from the catalog, the boards and the old port state.
using package_writer = void (*)(out_file& f, const catalog& cat, const params_rec& ps,
                                const port_state& ports);
// Reads the old version of a file into the port state, before any file is written: status::failed
// (reported) for one that exists but cannot be read, which stops the run.
using package_loader = status (*)(const char* prog, const char* path, port_state& ports);

struct package_file {
  const char* name;     // beside the program; null in the row that ends the table
  const char* func;     // the writer's name in the messages about the file
  package_loader load;  // null for a file whose old version is not read
  package_writer write;
  unsigned flags;  // how replace_file keeps it: KEEP_OLD, SYNC
};

// The rows of package_files, in the order the run reads and writes them: the old "Init"
// and "dces" are both read before the first file is written, then the six are written.
enum package_row { PKG_SPACE, PKG_SYSTEM, PKG_INIT, PKG_DCES, PKG_DTES, PKG_NODE, PKG_FILES };

extern const std::array<package_file, PKG_FILES + 1> package_files;
