// The space header "kdzspc.h": the board configuration as #define lines for the driver.
#include "buildc/buildc.h"
#include "buildc/out_file.h"

namespace {

constexpr int LOGICAL_SLOTS = 8;  // index pairs the driver expects, counted by logical board

// A 16-port board is two logical boards of eight ports, described alike.
int logical_boards_of(const board_rec& b) {
  return ports_of(type_of(b)) / LOGICAL_PORTS;
}

// The eight lines that describe logical board `l`.
void write_block(out_file& f, int l, const board_rec& b) {
  const btype_rec& t = type_of(b);
  f.print<
      "#define BD_%1d_NAME \"%s\"\n"
      "#define BD_%1d_DPA 0x%lx\n"
      "#define BD_%1d_IOA 0x%x\n"
      "#define BD_%1d_DPS %d\n"
      "#define BD_%1d_IRQ %d\n"
      "#define BD_%1d_TYPE %d\n"
      "#define BD_%1d_ATTR %d\n"
      "#define BD_%1d_NWAITS %d\n">(l, t.name, l, b.dpa, l, b.ioa, l, b.size, l, b.irq, l, t.t_code,
                                    l, t.attr, l, t.num_waits);
}

int logical_count() {
  int n = 0;
  for (int p = 0; p < pp->nboards; ++p) n += logical_boards_of(pp->boards[p]);
  return n;
}

}  // namespace

void write_space(out_file& f) {
  f.print<"#define KDZ_COPY \"%s\"\n#define NBOARDS %d\n%s%s">(
      cp->copy, logical_count(),
      pp->bus == BUS_MC ? "#define KDZ_BUS KDZ_MC_BUS\n" : "#define KDZ_BUS KDZ_AT_BUS\n",
      pp->mode == MODE_INTERRUPT ? "#define KDZ_MODE INTERRUPT\n"
                                 : "#define KDZ_MODE POLL_REQUESTED\n");
  int l = 0;
  int p = 0;
  for (; p < pp->nboards; ++p) {
    const board_rec& b = pp->boards[p];
    write_block(f, l, b);
    f.print<"#define BD_%1dA_INDEX %d\n">(p, l);
    if (logical_boards_of(b) == 2) {
      f.print<"#define BD_%1dB_INDEX %d\n">(p, l + 1);
      write_block(f, l + 1, b);
      l += 2;
    } else {
      f.print<"#define BD_%1dB_INDEX %d\n">(p, l);
      l += 1;
    }
  }
  // The driver expects eight index pairs; the missing ones are counted by logical board
  // but numbered by physical board.
  for (; l < LOGICAL_SLOTS; ++p, ++l) {
    f.print<"#define BD_%1dA_INDEX -1\n#define BD_%1dB_INDEX -1\n">(p, p);
  }
}

void build_space(const char* prog, const char* path) {
  write_generated(prog, "build_space", path, write_space);
}
