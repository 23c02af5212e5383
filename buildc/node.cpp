// The Node file: the driver package's own node and three device nodes per port.
#include <fmt/format.h>

#include <string>
#include <string_view>

#include "base/out_file.h"
#include "buildc/buildc.h"
#include "model/catalog.h"
#include "model/records.h"
#include "package/port_lines.h"

namespace kdz {

namespace {

constexpr int TTP_BASE = 64;   // minors of the lower group's ttp nodes
constexpr int DCE_OFFSET = 8;  // a DCE line's tty minor lies eight above its port
constexpr int PACKAGE_MINOR = 255;

// The tty nodes of one group, board by board. Every line starts alike, with the package
// name and the group's prefix: formatted once.
void write_tty_pass(out_file& f, const catalog& cat, const params_rec& ps, const port_state& ports,
                    char letter, int group_base) {
  const std::string head = fmt::format(NODE_TTY_HEAD, out_field::of(cat.config.pkg), letter);
  for (int b = 0; b < ps.nboards; ++b) {
    for (int p = 0; p < ports_of(type_of(cat, ps.boards[b])); ++p) {
      const int index = group_base + SLOTS_PER_BOARD * b + p;
      const int minor = index + ((p < DCE_PORTS && ports.is_dce[index]) ? DCE_OFFSET : 0);
      f.print(NODE_LINE, std::string_view(head), board_digit(b), port_name[p], minor);
    }
  }
}

// The ttp nodes of the lower group, which is all they have.
void write_ttp_pass(out_file& f, const catalog& cat, const params_rec& ps) {
  const std::string head = fmt::format(NODE_TTP_HEAD, out_field::of(cat.config.pkg));
  for (int b = 0; b < ps.nboards; ++b) {
    for (int p = 0; p < ports_of(type_of(cat, ps.boards[b])); ++p) {
      f.print(NODE_LINE, std::string_view(head), board_digit(b), port_name[p],
              TTP_BASE + SLOTS_PER_BOARD * b + p);
    }
  }
}

}  // namespace

void write_node(out_file& f, const catalog& cat, const params_rec& ps, const port_state& ports) {
  // The node of the driver package itself: its name twice.
  f.print(FMT_COMPILE("{0}\t{0}\tc\t{1}\n"), cat.config.pkg, PACKAGE_MINOR);
  write_tty_pass(f, cat, ps, ports, LOWER_LETTER, 0);
  write_ttp_pass(f, cat, ps);
  write_tty_pass(f, cat, ps, ports, UPPER_LETTER, UPPER_GROUP);
}

}  // namespace kdz
