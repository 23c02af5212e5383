// "dtes" and "dces": the lines of DCE-capable boards used as DTE lines and as DCE lines.
#include <algorithm>
#include <array>
#include <cstdint>

#include "base/out_file.h"
#include "buildc/buildc.h"
#include "model/catalog.h"
#include "model/records.h"
#include "package/port_lines.h"

namespace kdz {

namespace {

// Whether the lines of a board of `type` are listed in "dtes" and "dces": its ports 0 to
// DCE_PORTS - 1, in both groups.
bool lists_lines(const btype_rec& type) {
  return (type.attr & ATTR_DCE) != 0;
}

// The lower and upper line of ports 0 to 7 of DCE-capable boards whose flag equals `want`.
void write_list(out_file& f, const catalog& cat, const params_rec& ps, const port_state& ports,
                std::uint8_t want) {
  for (int b = 0; b < ps.nboards; ++b) {
    if (!lists_lines(type_of(cat, ps.boards[b]))) continue;
    for (int p = 0; p < DCE_PORTS; ++p) {
      const int lower = SLOTS_PER_BOARD * b + p;
      if (ports.is_dce[lower] == want)
        f.print(LISTED_LINE, LOWER_LETTER, board_digit(b), port_name[p]);
      if (ports.is_dce[UPPER_GROUP + lower] == want) {
        f.print(LISTED_LINE, UPPER_LETTER, board_digit(b), port_name[p]);
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

void keep_listed_dces(const catalog& cat, const params_rec& ps, port_state& ports) {
  const std::array<std::uint8_t, PORT_SLOTS> was = ports.is_dce;
  ports.is_dce.fill(0);
  for (int b = 0; b < ps.nboards && b < MAX_BOARDS; ++b) {
    if (!lists_lines(type_of(cat, ps.boards[b]))) continue;
    for (const int group : {0, UPPER_GROUP}) {
      const int first = group + SLOTS_PER_BOARD * b;
      std::copy_n(was.begin() + first, DCE_PORTS, ports.is_dce.begin() + first);
    }
  }
}

}  // namespace kdz
