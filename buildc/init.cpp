// "Init": the getty entries of every terminal line, switched on where the old "Init" said so.
#include "base/out_file.h"
#include "buildc/buildc.h"
#include "model/catalog.h"
#include "model/records.h"
#include "package/port_lines.h"

namespace kdz {

namespace {

// A line switched on and one switched off differ in their action only: one format each.
void write_init_line(out_file& f, const port_state& ports, char letter, int board, int port,
                     int index) {
  const char c = port_name[port];
  if (ports.enabled[index]) {
    f.print(INIT_LINE_ON, letter, board_digit(board), c);
  } else {
    f.print(INIT_LINE_OFF, letter, board_digit(board), c);
  }
}

}  // namespace

void write_init(out_file& f, const catalog& cat, const params_rec& ps, const port_state& ports) {
  for (int b = 0; b < ps.nboards; ++b) {
    for (int p = 0; p < ports_of(type_of(cat, ps.boards[b])); ++p) {
      const int lower = SLOTS_PER_BOARD * b + p;
      write_init_line(f, ports, LOWER_LETTER, b, p, lower);
      write_init_line(f, ports, UPPER_LETTER, b, p, UPPER_GROUP + lower);
    }
  }
}

}  // namespace kdz
