// package, the layer above model: the package directory and its files (port_lines.h says it
// whole).
//
// package_files.h: the six files of the driver package: their names and how each is kept.
// The generator writes them all in this order, each with its writer (buildc/buildc.h); the
// editor rewrites "Init" and "dces" through the same rows when boards are deleted.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "base/files.h"
#include "model/board_set.h"
#include "model/records.h"
#include "package/port_lines.h"

namespace kdz {

// Reads the old version of a file into the port state, before any file is written: a
// failure other than a missing file stops the run.
using package_loader = error (*)(const char* path, port_state& ports);
// The text of a file with the lines of each board where that board went since "par" was
// read.
using package_mover = std::string (*)(std::string_view text, const board_moves& moves);

struct package_file {
  const char* name;     // in the package directory; null in the row that ends the table
  const char* func;     // the writer's name in the messages about the file
  package_loader load;  // null for a file whose old version is not read
  package_mover move;   // null for a file that does not follow the boards of "par"
  bool keep_old;        // its previous version stays as "<name>.old" when it changes
};

// The rows of package_files, in the order the run reads and writes them: the old "Init"
// and "dces" are both read before the first file is written, then the six are written.
enum package_row {
  PKG_SPACE,
  PKG_SYSTEM,
  PKG_INIT,
  PKG_DCES,
  PKG_DTES,
  PKG_NODE,
  PKG_FILES,  // one past the last row: the row that ends the table
};

// "Init" and "dces" hold what the user switched on and moved to the DCE lines: each keeps
// its previous version as ".old" when it changes, and follows the boards when boards before
// theirs are deleted. Every file reaches the disk before it takes its place (change.h).
inline constexpr std::array<package_file, PKG_FILES + 1> package_files = {{
    {"kdzspc.h", "build_space", nullptr, nullptr, false},
    {"System", "build_sdevice", nullptr, nullptr, false},
    {"Init", "build_init", load_init, move_init_lines, true},
    {"dces", "build_dces", load_dces, move_dces_lines, true},
    {"dtes", "build_dtes", nullptr, nullptr, false},
    {"Node", "build_node", nullptr, nullptr, false},
    {nullptr, nullptr, nullptr, nullptr, false},
}};
static_assert(package_files[PKG_INIT].load == load_init &&
                  package_files[PKG_DCES].load == load_dces &&
                  package_files[PKG_FILES].name == nullptr,
              "package_row names the rows of package_files");

}  // namespace kdz
