// "Init": the getty entries of every terminal line, switched on where the old "Init" said so.
#include "buildc/buildc.h"
#include "buildc/out_file.h"

namespace {

void write_init_line(out_file& f, char letter, int board, int port, int index) {
  const char c = port_name[port];
  f.print<init_format>(letter, board, c, enabled[index] ? "respawn" : "off", letter, board, c);
}

}  // namespace

void write_init(out_file& f) {
  for (int b = 0; b < pp->nboards; ++b) {
    for (int p = 0; p < ports_of(type_of(pp->boards[b])); ++p) {
      const int lower = SLOTS_PER_BOARD * b + p;
      write_init_line(f, 'a', b, p, lower);
      write_init_line(f, 'A', b, p, UPPER_GROUP + lower);
    }
  }
}

void build_init(const char* prog, const char* path) {
  // What the user switched on: kept as "Init.old" when it changes, and on the disk.
  write_generated(prog, "build_init", path, write_init, KEEP_OLD | SYNC);
}
