// Node's minor numbers: the package node, the tty nodes by slot, eight higher for a DCE
// line among ports 0 to 7, and the ttp nodes from 64, whatever the DCE lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/out_file.h"
#include "buildc/buildc.h"
#include "tests/support/writer_test.h"

namespace kdz {

namespace {

struct node_case {
  const char* what;
  std::vector<std::uint16_t> types;  // the boards' types, in order
  std::vector<int> dce_slots;        // where the old "dces" listed a line
  std::vector<const char*> lines;    // some of the lines, without the package name before them
};

const node_case cases[] = {
    {"no DCE line: each tty node's minor is its slot",
     {M8, M16},
     {},
     {"mux\tc\t255", "ttya00\tc\t0", "ttya07\tc\t7", "ttya10\tc\t16", "ttya1f\tc\t31",
      "ttyA00\tc\t128", "ttyA1f\tc\t159", "ttpa00\tc\t64", "ttpa07\tc\t71", "ttpa1f\tc\t95"}},
    {"a DCE line's tty node moves up by eight, in either group; its ttp node stays",
     {M8},
     {3, UPPER_GROUP + 7},
     {"ttya03\tc\t11", "ttyA03\tc\t131", "ttya07\tc\t7", "ttyA07\tc\t143", "ttpa03\tc\t67"}},
    {"the flag of another board's slot",
     {M8, M8},
     {SLOTS_PER_BOARD + 2},
     {"ttya02\tc\t2", "ttya12\tc\t26", "ttyA12\tc\t146"}},
    {"ports 8 to 15 are never DCE lines",
     {M16},
     {7, 8, 15, UPPER_GROUP + 8},
     {"ttya07\tc\t15", "ttya08\tc\t8", "ttya0f\tc\t15", "ttyA08\tc\t136"}},
};

TEST(Node, Minors) {
  const catalog cat = test_catalog();
  for (const node_case& c : cases) {
    std::vector<board_rec> boards;
    int ports = 0;
    for (std::uint16_t t : c.types) {
      boards.push_back({t, 16, 5, 0, 0});
      ports += ports_of(cat.config.types[t]);
    }
    port_state state{};
    for (int slot : c.dce_slots) state.is_dce[slot] = 1;
    out_file f;
    write_node(f, cat, test_boards(MODE_INTERRUPT, boards), state);
    const std::string text(f.text());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 3 * ports) << c.what;
    for (const char* line : c.lines) {
      EXPECT_NE(text.find("mux\t" + std::string(line) + "\n"), std::string::npos)
          << c.what << ": " << line;
    }
  }
}

}  // namespace

}  // namespace kdz
