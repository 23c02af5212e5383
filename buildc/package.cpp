// The table of the driver package's files, and the writing of one of them.
#include "buildc/package.h"

#include "buildc/buildc.h"
#include "buildc/out_file.h"

namespace {

// A writer whose file does not depend on the old port state, in the table's shape.
template <void (*writer)(out_file&, const catalog&, const params_rec&)>
void without_ports(out_file& f, const catalog& cat, const params_rec& ps, const port_state&) {
  writer(f, cat, ps);
}

}  // namespace

// "Init" and "dces" hold what the user switched on and moved to the DCE lines: each keeps
// its previous version as ".old" when it changes, and reaches the disk before it takes its
// place.
constexpr std::array<package_file, PKG_FILES + 1> package_files = {{
    {"kdzspc.h", "build_space", nullptr, without_ports<write_space>, 0},
    {"System", "build_sdevice", nullptr, without_ports<write_sdevice>, 0},
    {"Init", "build_init", load_init, write_init, KEEP_OLD | SYNC},
    {"dces", "build_dces", load_dces, write_dces, KEEP_OLD | SYNC},
    {"dtes", "build_dtes", nullptr, write_dtes, 0},
    {"Node", "build_node", nullptr, write_node, 0},
    {nullptr, nullptr, nullptr, nullptr, 0},
}};

static_assert(package_files[PKG_INIT].write == write_init &&
                  package_files[PKG_DCES].write == write_dces &&
                  package_files[PKG_FILES].name == nullptr,
              "package_row names the rows of package_files");
