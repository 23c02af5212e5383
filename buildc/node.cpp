// The Node file: the driver package's own node and three device nodes per port.
#include "buildc/buildc.h"
#include "buildc/out_file.h"

namespace {

constexpr int TTP_BASE = 64;   // minors of the lower group's ttp nodes
constexpr int DCE_OFFSET = 8;  // a DCE line's tty minor lies eight above its port
constexpr int PACKAGE_MINOR = 255;
// The node of the driver package itself: its name twice.
constexpr char package_format[] = "%s\t%s\tc\t%d\n";

// The tty nodes of one group, board by board.
void write_tty_pass(out_file& f, char letter, int group_base) {
  for (int b = 0; b < pp->nboards; ++b) {
    for (int p = 0; p < ports_of(type_of(pp->boards[b])); ++p) {
      const int index = group_base + SLOTS_PER_BOARD * b + p;
      const int minor = index + ((p < DCE_PORTS && is_dce[index]) ? DCE_OFFSET : 0);
      f.print<node_format>(cp->pkg, letter, b, port_name[p], minor);
    }
  }
}

void write_ttp_pass(out_file& f) {
  for (int b = 0; b < pp->nboards; ++b) {
    for (int p = 0; p < ports_of(type_of(pp->boards[b])); ++p) {
      f.print<"%s\tttpa%01d%c\tc\t%d\n">(cp->pkg, b, port_name[p],
                                         TTP_BASE + SLOTS_PER_BOARD * b + p);
    }
  }
}

}  // namespace

void write_node(out_file& f) {
  f.print<package_format>(cp->pkg, cp->pkg, PACKAGE_MINOR);
  write_tty_pass(f, 'a', 0);
  write_ttp_pass(f);
  write_tty_pass(f, 'A', UPPER_GROUP);
}

void build_node(const char* prog, const char* path) {
  write_generated(prog, "build_node", path, write_node);
}
