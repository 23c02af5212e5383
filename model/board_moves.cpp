// Where the boards of a set as read went since it was read.
#include <algorithm>

#include "model/board_set.h"

namespace kdz {

namespace {

int boards_read(const board_moves& moves) {
  return std::clamp(moves.nread, 0, MOVED_BOARDS);
}

}  // namespace

board_moves moves_as_read(int nboards) {
  board_moves moves{};
  moves.nread = std::clamp(nboards, 0, MOVED_BOARDS);
  return moves;
}

void record_delete(board_moves& moves, int number) {
  const int deleted = number - 1;
  for (int old = 0; old < boards_read(moves); ++old) {
    const int now = board_now(moves, old);
    if (now == deleted) {
      moves.down[old] = BOARD_GONE;
    } else if (now > deleted) {
      ++moves.down[old];
    }
  }
}

int board_now(const board_moves& moves, int old) {
  if (old < 0 || old >= boards_read(moves)) return old;
  const int down = moves.down[old];
  return down == BOARD_GONE ? BOARD_GONE : old - down;
}

bool boards_deleted(const board_moves& moves) {
  const int* first = moves.down.data();
  const int* end = first + boards_read(moves);
  return std::find(first, end, BOARD_GONE) != end;
}

}  // namespace kdz
