// Where the boards of a set as read went, and the old "Init" and "dces" rewritten to follow
// them: a port's settings stay with its board when boards before it are deleted.
//
// Port names carry the board's position in the set (Init's "a13", dces' "ttyA13"), so a
// deleted board would otherwise hand its settings to the board that takes its number.
#pragma once

#include <array>
#include <string>
#include <string_view>

// Boards a board digit of a port name can stand for: 0 to 7, as many as "par" holds.
constexpr int MOVED_BOARDS = 8;
// The place of a board as read that has been deleted.
constexpr int BOARD_GONE = -1;

// Where each board of a set as read stands now. All zero (as in a fresh set) is a set read
// without boards, which no line of "Init" or "dces" belongs to.
struct board_moves {
  int nread;  // boards of the set as read, 0 to MOVED_BOARDS
  // For each board as read (from 0): how many places it moved down since, or BOARD_GONE.
  std::array<int, MOVED_BOARDS> down;
};

// The moves of a set just read with `nboards` boards: each board where it was read.
board_moves moves_as_read(int nboards);
// Records that board `number` (from 1) of the set as it is now was deleted, and the boards
// after it moved down one place. A number that no board as read has now (a board added
// since, or none) moves only the boards as read after it, of which there are none.
void record_delete(board_moves& moves, int number);
// The place now (from 0) of the board that was read at place `old` (from 0), or BOARD_GONE.
// A place beyond the boards as read belongs to none of them and keeps its number.
int board_now(const board_moves& moves, int old);
// Whether a board as read was deleted: only then do "Init" and "dces" need rewriting.
bool boards_deleted(const board_moves& moves);

// The text of an old "Init" with its lines following `moves`. A line of a board as read
// begins with the identifier buildc writes: group letter 'a' or 'A', board digit, port
// character ("a13:23:respawn:/etc/getty ttya13 9600"). The lines of a deleted board go; in
// the line of a board that moved, the board digit of the identifier and of each device
// name "tty" + group + that digit + port character takes its new place. Every other byte
// stays, the lines of no board as read whole. Lines are counted as the readers count them:
// pieces of at most 255 bytes up to a newline.
std::string move_init_lines(std::string_view text, const board_moves& moves);
// The text of an old "dces" likewise: a line of a board as read begins with its device name
// "tty" + group + board digit + port character ("ttyA13").
std::string move_dces_lines(std::string_view text, const board_moves& moves);
