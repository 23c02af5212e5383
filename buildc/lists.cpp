// "dtes" and "dces": the lines of DCE-capable boards used as DTE lines and as DCE lines.
#include "buildc/buildc.h"
#include "buildc/out_file.h"

namespace {

// The lower and upper line of ports 0 to 7 of DCE-capable boards whose flag equals `want`.
void write_list(out_file& f, std::uint8_t want) {
  for (int b = 0; b < pp->nboards; ++b) {
    if ((type_of(pp->boards[b]).attr & ATTR_DCE) == 0) continue;
    for (int p = 0; p < DCE_PORTS; ++p) {
      const int lower = SLOTS_PER_BOARD * b + p;
      if (is_dce[lower] == want) f.print<"ttya%01d%c\n">(b, port_name[p]);
      if (is_dce[UPPER_GROUP + lower] == want) f.print<"ttyA%01d%c\n">(b, port_name[p]);
    }
  }
}

}  // namespace

void write_dces(out_file& f) {
  write_list(f, 1);
}

void write_dtes(out_file& f) {
  write_list(f, 0);
}

void build_dces(const char* prog, const char* path) {
  // What the user moved to the DCE lines: kept as "dces.old" when it changes, and on the disk.
  write_generated(prog, "build_dces", path, write_dces, KEEP_OLD | SYNC);
}

void build_dtes(const char* prog, const char* path) {
  write_generated(prog, "build_dtes", path, write_dtes);
}
