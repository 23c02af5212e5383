// Where deleted and later boards go, as the menus and script calls record it, and the old
// "Init" and "dces" rewritten to follow them, read back as buildc reads them.
#include <unistd.h>

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
      {4, {2, 2}, "0 - - 1 deleted"},
      {4, {4, 1}, "- 0 1 - deleted"},
      {3, {3}, "0 1 - deleted"},
      {3, {2, 1, 1}, "- - - deleted"},
      {3, {}, "0 1 2"},
      {2, {3}, "0 1"},  // a board added since: no board as read moves
      {0, {1}, ""},     // a fresh set
      {8, {1}, "- 0 1 2 3 4 5 6 deleted"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(places(moves_after(c.nread, c.deletions)), c.places) << c.nread;
  }
  EXPECT_EQ(board_now(moves_after(2, {1}), 5), 5);  // beyond the boards as read
}

constexpr char three_boards[] =
    "mode interrupt\nbus at\n"
    "type at8\nsize 32\nirq 5\nioa 300\ndpa d0000\n"
    "type one\nsize 16\nirq 7\nioa 310\ndpa d8000\n"
    "type eisa\nsize 64\nirq 0\nioa 0\ndpa 100000\n";

std::vector<char*> argv_of(std::vector<std::string>& words) {
  std::vector<char*> argv{const_cast<char*>("editpar")};
  for (std::string& w : words) argv.push_back(w.data());
  return argv;
}

TEST(BoardMoves, RecordedByTheMenusAndTheScript) {
  const catalog cat = read_catalog(catalog_text);
  const struct {
    std::vector<std::string> call;  // a script call, or none: the menus' delete
    const char* answers;
    const char* places;
  } cases[] = {
      {{}, "2\n", "0 - 1 deleted"},
      {{}, "q\n", "0 1 2"},
      {{"-d", "1", "-d", "1"}, "", "- - 0 deleted"},
      // The board added takes place 2, which no board as read now has: it gets no old lines.
      {{"-d", "1", "-a", "one", "dpa=c0000", "irq=5"}, "", "- 0 1 deleted"},
      {{"-e", "1", "irq=3"}, "", "0 1 2"},
  };
  for (const auto& c : cases) {
    board_set set = read_set(cat, three_boards);
    EXPECT_EQ(places(set.moves), "0 1 2");
    session run(cat, set, c.answers);
    if (c.call.empty()) {
      del_board(run.ed);
    } else {
      std::vector<std::string> words = c.call;
      std::vector<char*> argv = argv_of(words);
      script s;
      std::string why;
      ASSERT_TRUE(parse_script(static_cast<int>(argv.size()), argv.data(), s, why)) << why;
      EXPECT_TRUE(apply_script(run.ed, s, false, why)) << why;
    }
    EXPECT_EQ(places(set.moves), c.places) << c.answers;
  }
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
      {false,
       3,
       {1},
       init_line('a', 1, '0', true) + init_line('A', 1, 'f', false) + init_line('a', 2, '7', true),
       init_line('a', 0, '0', true) + init_line('A', 0, 'f', false) + init_line('a', 1, '7', true)},
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
      {false, 3, {}, init_line('a', 0, '1', true), init_line('a', 0, '1', true)},
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
      {false,
       2,
       {1},
       "A1f:2:respawn:/etc/getty ttyA1f 19200",
       "A0f:2:respawn:/etc/getty ttyA0f 19200"},
      // Lines of 255 bytes and more are taken in pieces, as buildc reads them.
      {false, 2, {1}, long_comment + "a10:23:respawn\n", long_comment + "a00:23:respawn\n"},
      {false, 2, {1}, "a00" + std::string(252, 'x') + "a10:23:respawn\n", "a00:23:respawn\n"},
      {true, 3, {1}, "ttya00\nttyA00\nttya10\nttyA17\nttya2f\n", "ttya00\nttyA07\nttya1f\n"},
      {true, 3, {3}, "ttya00\nttya27\nttyA20\n", "ttya00\n"},
      {true, 3, {2}, "ttya10 ttya10 ttya20\nttyA2", "ttyA2"},
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

// A file of `text` in the temporary directory, removed with it.
struct temp_file {
  std::string path = fmt::format("/tmp/board_moves_test.{}", ::getpid());
  explicit temp_file(const std::string& text) {
    const file_ptr f(std::fopen(path.c_str(), "w"));
    write_text(f.get(), text);
  }
  ~temp_file() { ::unlink(path.c_str()); }
  temp_file(const temp_file&) = delete;
  temp_file& operator=(const temp_file&) = delete;
};

port_state loaded(const std::string& init, const std::string& dces) {
  port_state ports{};
  EXPECT_EQ(load_init("test", temp_file(init).path.c_str(), ports), status::ok);
  EXPECT_EQ(load_dces("test", temp_file(dces).path.c_str(), ports), status::ok);
  return ports;
}

// The flags of `ports` with each board's slots at its place now; a deleted board's gone.
port_state moved(const port_state& ports, const board_moves& moves) {
  port_state out{};
  for (int index = 0; index < PORT_SLOTS; ++index) {
    const int group = index / UPPER_GROUP * UPPER_GROUP;
    const int now = board_now(moves, index % UPPER_GROUP / SLOTS_PER_BOARD);
    if (now == BOARD_GONE) continue;
    const int to = group + now * SLOTS_PER_BOARD + index % SLOTS_PER_BOARD;
    out.enabled[to] = ports.enabled[index];
    out.is_dce[to] = ports.is_dce[index];
  }
  return out;
}

TEST(MoveLines, ReadBackAsThePortStateMoved) {
  // Four boards of 16 ports, some lines on and some DCE, and lines buildc does not read.
  std::string init = "# getty lines\n";
  std::string dces;
  for (int b = 0; b < 4; ++b) {
    for (int p = 0; p < 16; ++p) {
      init += init_line('a', b, port_name[p], (b + p) % 3 == 0);
      init += init_line('A', b, port_name[p], (b * p) % 4 == 1);
      if ((b + p) % 5 == 0) dces += fmt::format("ttya{}{}\nttyA{}{}\n", b, port_name[p], b, p % 8);
    }
  }
  const std::vector<std::vector<int>> deletion_lists = {{1}, {2}, {4}, {1, 1}, {3, 1}, {2, 2, 2}};
  for (const auto& deletions : deletion_lists) {
    const board_moves moves = moves_after(4, deletions);
    const port_state want = moved(loaded(init, dces), moves);
    const port_state got = loaded(move_init_lines(init, moves), move_dces_lines(dces, moves));
    EXPECT_EQ(got.enabled, want.enabled) << deletions.size() << " from " << deletions[0];
    EXPECT_EQ(got.is_dce, want.is_dce) << deletions.size() << " from " << deletions[0];
  }
}

}  // namespace
