// "Init": the getty entries of every terminal line, switched on where the old "Init" said so.
#include "buildc/buildc.h"
#include "buildc/out_file.h"

namespace {

// A line switched on and one switched off differ in their action only: one format each.
void write_init_line(out_file& f, const port_state& ports, char letter, int board, int port,
                     int index) {
  const char c = port_name[port];
  if (ports.enabled[index]) {
    f.print(FMT_COMPILE("{0}{1}{2}:23:respawn:/etc/getty tty{0}{1}{2} 9600\n"), letter, board, c);
  } else {
    f.print(FMT_COMPILE("{0}{1}{2}:23:off:/etc/getty tty{0}{1}{2} 9600\n"), letter, board, c);
  }
}

}  // namespace

void write_init(out_file& f, const catalog& cat, const params_rec& ps, const port_state& ports) {
  for (int b = 0; b < ps.nboards; ++b) {
    for (int p = 0; p < ports_of(type_of(cat, ps.boards[b])); ++p) {
      const int lower = SLOTS_PER_BOARD * b + p;
      write_init_line(f, ports, 'a', b, p, lower);
      write_init_line(f, ports, 'A', b, p, UPPER_GROUP + lower);
    }
  }
}
