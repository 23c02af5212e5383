// The space header "kdzspc.h": the board configuration as #define lines for the driver.
#include "base/out_file.h"
#include "buildc/buildc.h"
#include "model/catalog.h"
#include "model/records.h"

namespace kdz {

namespace {

constexpr int LOGICAL_SLOTS = 8;  // index pairs the driver expects, counted by logical board

// A 16-port board is two logical boards of eight ports, described alike.
int logical_boards_of(const catalog& cat, const board_rec& b) {
  return ports_of(type_of(cat, b)) / LOGICAL_PORTS;
}

// The eight lines that describe logical board `l`.
void write_block(out_file& f, const catalog& cat, int l, const board_rec& b) {
  const btype_rec& t = type_of(cat, b);
  f.print(FMT_COMPILE("#define BD_{0}_NAME \"{1}\"\n"
                      "#define BD_{0}_DPA 0x{2:x}\n"
                      "#define BD_{0}_IOA 0x{3:x}\n"
                      "#define BD_{0}_DPS {4}\n"
                      "#define BD_{0}_IRQ {5}\n"
                      "#define BD_{0}_TYPE {6}\n"
                      "#define BD_{0}_ATTR {7}\n"
                      "#define BD_{0}_NWAITS {8}\n"),
          l, t.name, b.dpa, b.ioa, b.size, b.irq, t.t_code, t.attr, t.num_waits);
}

int logical_count(const catalog& cat, const params_rec& ps) {
  int n = 0;
  for (int p = 0; p < ps.nboards; ++p) n += logical_boards_of(cat, ps.boards[p]);
  return n;
}

// The lines of the whole package: copy notice, number of logical boards, bus and mode.
void write_head(out_file& f, const catalog& cat, const params_rec& ps) {
  f.print(FMT_COMPILE("#define KDZ_COPY \"{}\"\n#define NBOARDS {}\n"), cat.config.copy,
          logical_count(cat, ps));
  if (ps.bus == BUS_MC) {
    f.print(FMT_COMPILE("#define KDZ_BUS KDZ_MC_BUS\n"));
  } else {
    f.print(FMT_COMPILE("#define KDZ_BUS KDZ_AT_BUS\n"));
  }
  if (ps.mode == MODE_INTERRUPT) {
    f.print(FMT_COMPILE("#define KDZ_MODE INTERRUPT\n"));
  } else {
    f.print(FMT_COMPILE("#define KDZ_MODE POLL_REQUESTED\n"));
  }
}

}  // namespace

void write_space(out_file& f, const catalog& cat, const params_rec& ps) {
  write_head(f, cat, ps);
  int l = 0;
  int p = 0;
  for (; p < ps.nboards; ++p) {
    const board_rec& b = ps.boards[p];
    write_block(f, cat, l, b);
    f.print(FMT_COMPILE("#define BD_{}A_INDEX {}\n"), p, l);
    if (logical_boards_of(cat, b) == 2) {
      f.print(FMT_COMPILE("#define BD_{}B_INDEX {}\n"), p, l + 1);
      write_block(f, cat, l + 1, b);
      l += 2;
    } else {
      f.print(FMT_COMPILE("#define BD_{}B_INDEX {}\n"), p, l);
      l += 1;
    }
  }
  // The driver expects eight index pairs; the missing ones are counted by logical board
  // but numbered by physical board.
  for (; l < LOGICAL_SLOTS; ++p, ++l) {
    f.print(FMT_COMPILE("#define BD_{0}A_INDEX -1\n#define BD_{0}B_INDEX -1\n"), p);
  }
}

}  // namespace kdz
