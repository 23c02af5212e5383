// "dtes" and "dces": the lines of DCE-capable boards used as DTE lines and as DCE lines.
#include "buildc/buildc.h"
#include "buildc/out_file.h"

namespace {

// The lower and upper line of ports 0 to 7 of DCE-capable boards whose flag equals `want`.
void write_list(out_file& f, const catalog& cat, const params_rec& ps, const port_state& ports,
                std::uint8_t want) {
  for (int b = 0; b < ps.nboards; ++b) {
    if ((type_of(cat, ps.boards[b]).attr & ATTR_DCE) == 0) continue;
    for (int p = 0; p < DCE_PORTS; ++p) {
      const int lower = SLOTS_PER_BOARD * b + p;
      if (ports.is_dce[lower] == want) f.print(FMT_COMPILE("ttya{}{}\n"), b, port_name[p]);
      if (ports.is_dce[UPPER_GROUP + lower] == want) {
        f.print(FMT_COMPILE("ttyA{}{}\n"), b, port_name[p]);
      }
    }
  }
}

}  // namespace

void write_dces(out_file& f, const catalog& cat, const params_rec& ps, const port_state& ports) {
  write_list(f, cat, ps, ports, 1);
}

void write_dtes(out_file& f, const catalog& cat, const params_rec& ps, const port_state& ports) {
  write_list(f, cat, ps, ports, 0);
}
