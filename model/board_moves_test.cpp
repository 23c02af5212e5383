// Where deleted and later boards go; package/port_lines_test.cpp has the old "Init" and
// "dces" rewritten to follow them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/board_set.h"

namespace kdz {

namespace {

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
    const char* name;
    int nread;
    std::vector<int> deletions;  // board numbers from 1, as the set is at each
    const char* places;
  } cases[] = {
      {"the first twice", 4, {1, 1}, "- - 0 1 deleted"},
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

}  // namespace

}  // namespace kdz
