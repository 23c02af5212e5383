// "Init", the getty entries of every terminal line, and the lists "dtes" and "dces" of
// the lines of DCE-capable boards.
#include <cstdio>

#include "buildc/buildc.h"
#include "buildc/out_file.h"
#include "libcfg/libcfg.h"

namespace {

constexpr int LIST_PORTS = 8;  // only ports 0 to 7 can be DCE lines

const btype_rec& type_of(int board) {
  return cp->types[pp->boards[board].type];
}

int ports_of(int board) {
  return (type_of(board).attr & ATTR_16PORT) ? 16 : 8;
}

void write_init_line(out_file& f, char letter, int board, int port, int index) {
  const char c = port_name[port];
  f.print<init_format>(letter, board, c, enabled[index] ? "respawn" : "off", letter, board, c);
}

// The lower and upper line of every port of DCE-capable boards whose flag equals `want`.
void build_list(const char* prog, const char* func, const char* path, std::uint8_t want) {
  out_file f(prog, func, path);
  if (!f.is_open()) return;
  for (int b = 0; b < pp->nboards; ++b) {
    if ((type_of(b).attr & ATTR_DCE) == 0) continue;
    for (int p = 0; p < LIST_PORTS; ++p) {
      const int lower = SLOTS_PER_BOARD * b + p;
      if (is_dce[lower] == want) f.print<"ttya%01d%c\n">(b, port_name[p]);
      if (is_dce[UPPER_GROUP + lower] == want) f.print<"ttyA%01d%c\n">(b, port_name[p]);
    }
  }
}

}  // namespace

void build_init(const char* prog, const char* path) {
  out_file f(prog, "build_init", path);
  if (!f.is_open()) return;
  for (int b = 0; b < pp->nboards; ++b) {
    for (int p = 0; p < ports_of(b); ++p) {
      const int lower = SLOTS_PER_BOARD * b + p;
      write_init_line(f, 'a', b, p, lower);
      write_init_line(f, 'A', b, p, UPPER_GROUP + lower);
    }
  }
}

void build_dces(const char* prog, const char* path) {
  build_list(prog, "build_dces", path, 1);
}

void build_dtes(const char* prog, const char* path) {
  build_list(prog, "build_dtes", path, 0);
}
