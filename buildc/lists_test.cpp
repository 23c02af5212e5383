// The DCE lines the check reads from the "dces" a run writes, known without reading it back:
// the same flags read_dce_flags gets from the file's text.
#include <gtest/gtest.h>

#include <vector>

#include "base/files.h"
#include "base/out_file.h"
#include "buildc/buildc.h"
#include "package/port_lines.h"
#include "tests/support/writer_test.h"

namespace kdz {

namespace {

// The DCE flags of `ports` as the "dces" written from them reads back.
std::array<std::uint8_t, PORT_SLOTS> read_back(const catalog& cat, const params_rec& ps,
                                               const port_state& ports) {
  out_file f;
  write_dces(f, cat, ps, ports);
  std::string text(f.text());
  port_state back{};
  if (!text.empty()) {
    const file_ptr in(fmemopen(text.data(), text.size(), "r"));
    EXPECT_TRUE(read_dce_flags(in.get(), back));
  }
  return back.is_dce;
}

TEST(KeepListedDces, AsTheWrittenFileReadsBack) {
  const catalog cat = test_catalog();
  const board_rec m8{M8, 16, 5, 0x300, 0xd0000}, m16{M16, 16, 5, 0x308, 0xd4000};
  const struct {
    const char* what;
    std::vector<board_rec> boards;
    int every;  // a DCE flag on every slot whose index this divides (1: all)
  } cases[] = {
      {"no boards: nothing listed", {}, 1},
      {"a board that cannot have DCE lines lists none", {m16}, 1},
      {"ports 0 to 7 of DCE boards only, both groups", {m8, m16, m8}, 1},
      {"eight boards, some flags", {m8, m16, m8, m8, m16, m16, m8, m8}, 3},
      {"flags of boards beyond the set go", {m8, m8}, 5},
  };
  for (const auto& c : cases) {
    const params_rec ps = test_boards(MODE_INTERRUPT, c.boards);
    port_state ports{};
    for (int i = 0; i < PORT_SLOTS; ++i) {
      ports.is_dce[i] = i % c.every == 0 ? 1 : 0;
      ports.dce_lines[i] = i + 1;
    }
    const auto want = read_back(cat, ps, ports);
    keep_listed_dces(cat, ps, ports);
    EXPECT_EQ(ports.is_dce, want) << c.what;
  }
}

}  // namespace

}  // namespace kdz
