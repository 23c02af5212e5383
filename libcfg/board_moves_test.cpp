// Where deleted and later boards go, and the old "Init" and "dces" rewritten to follow them;
// the golden delete cases read the rewritten files back through buildc.
#include <string>
#include <vector>

#include "libcfg/edit_test_files.h"

namespace {

using namespace edit_test;

// Board places as read, each as its place now or "-" when deleted: "- 0 1".
std::string places(const board_moves& moves) {
  std::string s;
  for (int old = 0; old < moves.nread; ++old) {
    const int now = board_now(moves, old);
    s += (old > 0 ? " " : "") + (now == BOARD_GONE ? std::string("-") : std::to_string(now));
  }
  return s + (boards_deleted(moves) ? " deleted" : "");
}

board_moves moves_after(int nread, const std::vector<int>& deletions) {
  board_moves moves = moves_as_read(nread);
  for (const int number : deletions) record_delete(moves, number);
  return moves;
}

TEST(BoardMoves, DeletionsCompose) {
  const struct {
    int nread;
    std::vector<int> deletions;  // board numbers from 1, as the set is at each
    const char* places;
  } cases[] = {
      {4, {1, 1}, "- - 0 1 deleted"},
      {4, {4, 1}, "- 0 1 - deleted"},
      {3, {2, 1, 1}, "- - - deleted"},
      {3, {}, "0 1 2"},
      {2, {3}, "0 1"},  // a board added since: no board as read moves
      {0, {1}, ""},     // a fresh set
  };
  for (const auto& c : cases) {
    EXPECT_EQ(places(moves_after(c.nread, c.deletions)), c.places) << c.nread;
  }
  EXPECT_EQ(board_now(moves_after(2, {1}), 5), 5);  // beyond the boards as read
}

// Lines as buildc writes them.
std::string init_line(char group, int board, char port, bool on) {
  return fmt::format("{0}{1}{2}:23:{3}:/etc/getty tty{0}{1}{2} 9600\n", group, board, port,
                     on ? "respawn" : "off");
}

TEST(MoveLines, InitAndDcesFollowTheirBoards) {
  const std::string long_comment = "#" + std::string(254, 'x');  // a line of 255 bytes
  const struct {
    bool dces;
    int nread;
    std::vector<int> deletions;
    std::string in, out;
  } cases[] = {
      // The first of three boards goes: its lines go, the later boards' digits move down.
      {false, 3, {1}, init_line('a', 0, '0', true) + init_line('A', 0, '0', false), ""},
      // The middle one: the first stays as it is.
      {false,
       3,
       {2},
       init_line('a', 0, '3', true) + init_line('A', 1, '3', true) + init_line('A', 2, '8', false),
       init_line('a', 0, '3', true) + init_line('A', 1, '8', false)},
      // Two deletions composed: boards 3 and 4 of four become 1 and 2.
      {false,
       4,
       {1, 1},
       init_line('a', 1, '1', true) + init_line('a', 3, 'c', true),
       init_line('a', 1, 'c', true)},
      // Lines of no board as read stay whole, and so do lines buildc does not write.
      {false,
       2,
       {1},
       init_line('a', 2, '0', true) + init_line('a', 8, '0', true),
       init_line('a', 2, '0', true) + init_line('a', 8, '0', true)},
      {false,
       3,
       {1},
       "# a10 ttya10\n\nb10:23:respawn:/etc/getty ttyb10\na1:23:respawn\na1g:x\nA1\n a10\n",
       "# a10 ttya10\n\nb10:23:respawn:/etc/getty ttyb10\na1:23:respawn\na1g:x\nA1\n a10\n"},
      // Only the line's own board is renamed in a device name; odd fields stay.
      {false,
       3,
       {1},
       "a10 23 respawn ttya20 ttyA10 tty\na20",
       "a00 23 respawn ttya20 ttyA00 tty\na10"},
      // Lines of 255 bytes and more are taken in pieces, as buildc reads them.
      {false, 2, {1}, long_comment + "a10:23:respawn\n", long_comment + "a00:23:respawn\n"},
      {false, 2, {1}, "a00" + std::string(252, 'x') + "a10:23:respawn\n", "a00:23:respawn\n"},
      {true, 3, {1}, "ttya00\nttyA00\nttya10\nttyA17\nttya2f\n", "ttya00\nttyA07\nttya1f\n"},
      {true, 3, {1}, "ttya10 ttya10 ttya20\nttya2", "ttya00 ttya00 ttya20\nttya2"},
      {true,
       3,
       {1},
       "ttpa10\n ttya10\nttyb10\nttya1\nttya1F\ntty\n\nttya81\n",
       "ttpa10\n ttya10\nttyb10\nttya1\nttya1F\ntty\n\nttya81\n"},
      {true, 3, {1}, std::string("ttya1\0\nttya10\n", 14), std::string("ttya1\0\nttya00\n", 14)},
  };
  for (const auto& c : cases) {
    const board_moves moves = moves_after(c.nread, c.deletions);
    EXPECT_EQ(c.dces ? move_dces_lines(c.in, moves) : move_init_lines(c.in, moves), c.out) << c.in;
  }
}

}  // namespace
