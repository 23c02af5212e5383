// Old "Init" and "dces": which lines set flags, where deleted and later boards go, and the
// lines renumbered to follow their boards. What the loaders make of a file that is not a
// readable regular one is the golden cases' (tests/buildc/old_*); the golden delete cases
// read the renumbered files back through buildc.
#include "package/port_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/files.h"
#include "model/board_set.h"
#include "model/records.h"

namespace kdz {

namespace {

// The flags a port state holds: "e" and the enabled slots, "d" and each slot with a DCE
// flag or a line.
std::string flags_of(const port_state& p) {
  std::string flags = "e";
  for (int i = 0; i < PORT_SLOTS; ++i)
    if (p.enabled[i]) flags += " " + std::to_string(i);
  flags += " d";
  for (int i = 0; i < PORT_SLOTS; ++i)
    if (p.is_dce[i] || p.dce_lines[i])
      flags += " " + std::to_string(i) + "@" + std::to_string(p.dce_lines[i]);
  return flags;
}

// Which lines of an old "Init" and "dces" set a flag, read as fgets would read them: a
// line's text must reach the positions compared, without a newline or NUL byte there.
TEST(PortState, LinesThatSetFlags) {
  using s = std::string;
  const s filler = s(4095 - 13, '#') + "\n";  // a block's first 4083 bytes
  const struct {
    bool init;  // read as "Init", else as "dces"
    std::string text;
    const char* seen;
  } cases[] = {
      {true, "a00:23:respawn:/etc/getty ttya00 9600\n", "e 0 d"},
      {true, "a00:23:respawn", "e 0 d"},
      {true, "a00:23:respaw\na01:23:RESPAWN\n", "e d"},
      {true, s("a0\0:23:respawn\n", 15) + s("a01:2\0:respawn\n", 15), "e d"},
      // A line that ends where the block read ends: nothing past it is compared.
      {true, filler + "a00:23:respa\n", "e d"},
      {false, "ttya03\nttyA12\nttya03\n", "e d 3@1 146@2"},
      {false, "tty\nttya0\nttya0\n\n" + s("ttya\0003\n", 7), "e d"},
      {false, "# DCE lines\nttya0f", "e d 15@2"},
      // A line that runs from one block into the next.
      {false, s(4092, '#') + "\nttyA05\n", "e d 133@2"},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    const file_ptr f(fmemopen(text.data(), text.size(), "r"));
    port_state p{};
    EXPECT_TRUE(c.init ? read_init_flags(f.get(), p) : read_dce_flags(f.get(), p));
    EXPECT_EQ(flags_of(p), c.seen) << text.substr(text.size() > 40 ? text.size() - 40 : 0);
  }
}

board_moves moves_after(int nread, const std::vector<int>& deletions) {
  board_moves moves = moves_as_read(nread);
  for (const int number : deletions) record_delete(moves, number);
  return moves;
}

// Board places as read, each as its place now or "-" when deleted: "- 0 1".
std::string places(const board_moves& moves) {
  std::string s;
  for (int old = 0; old < moves.nread; ++old) {
    const int now = board_now(moves, old);
    s += (old > 0 ? " " : "") + (now == BOARD_GONE ? std::string("-") : std::to_string(now));
  }
  return s + (boards_deleted(moves) ? " deleted" : "");
}

TEST(BoardMoves, DeletionsCompose) {
  const struct {
    const char* name;
    int nread;
    std::vector<int> deletions;  // board numbers from 1, as the set is at each
    const char* places;
  } cases[] = {
      {"the first twice", 4, {1, 1}, "- - 0 1 deleted"},
      {"the last", 3, {3}, "0 1 - deleted"},
      {"the last, then the first", 4, {4, 1}, "- 0 1 - deleted"},
      {"all", 3, {2, 1, 1}, "- - - deleted"},
      {"none", 3, {}, "0 1 2"},
      {"a board added since: none as read moves", 2, {3}, "0 1"},
      {"a fresh set", 0, {1}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(places(moves_after(c.nread, c.deletions)), c.places) << c.name;
  }
  EXPECT_EQ(board_now(moves_after(2, {1}), 5), 5);  // beyond the boards as read
}

// Lines a board's deletion moves are the golden delete cases' (dialogue_delete_moves_ports,
// script_delete_moves_ports, script_deletes_compose); here, the lines they do not show.
TEST(MoveLines, InitAndDcesFollowTheirBoards) {
  const std::string long_comment = "#" + std::string(254, 'x');  // a line of 255 bytes
  const std::string whole;
  const struct {
    bool dces;
    int nread;            // boards as read; the first is deleted
    std::string in, out;  // `whole`: the lines stay whole
  } cases[] = {
      // clang-format off
      // Lines of no board as read stay whole, and so do lines buildc does not write.
      {false, 2, "a20:23:respawn:/etc/getty ttya20 9600\n"
                 "a80:23:respawn:/etc/getty ttya80 9600\n", whole},
      {false, 3, "# a10 ttya10\n\nb10:23:respawn:/etc/getty ttyb10\n"
                 "a1:23:respawn\na1g:x\nA1\n a10\n", whole},
      // Only the line's own board is renamed in a device name; odd fields stay.
      {false, 3, "a10 23 respawn ttya20 ttyA10 tty\na20", "a00 23 respawn ttya20 ttyA00 tty\na10"},
      // Lines of 255 bytes and more are taken in pieces, as buildc reads them.
      {false, 2, long_comment + "a10:23:respawn\n", long_comment + "a00:23:respawn\n"},
      {false, 2, "a00" + std::string(252, 'x') + "a10:23:respawn\n", "a00:23:respawn\n"},
      {true, 3, "ttya00\nttyA00\nttya10\nttyA17\nttya2f\n", "ttya00\nttyA07\nttya1f\n"},
      {true, 3, "ttya10 ttya10 ttya20\nttya2", "ttya00 ttya00 ttya20\nttya2"},
      {true, 3, "ttpa10\n ttya10\nttyb10\nttya1\nttya1F\ntty\n\nttya81\n", whole},
      {true, 3, std::string("ttya1\0\nttya10\n", 14), std::string("ttya1\0\nttya00\n", 14)},
      // clang-format on
  };
  for (const auto& c : cases) {
    const board_moves moves = moves_after(c.nread, {1});
    const std::string& out = c.out.empty() ? c.in : c.out;
    EXPECT_EQ(c.dces ? move_dces_lines(c.in, moves) : move_init_lines(c.in, moves), out) << c.in;
  }
}

}  // namespace

}  // namespace kdz
