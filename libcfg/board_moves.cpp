// Where the boards of a set as read went, and the old "Init" and "dces" following them.
#include "libcfg/board_moves.h"

#include <algorithm>
#include <cstring>

#include "libcfg/libcfg.h"

static_assert(MOVED_BOARDS == MAX_BOARDS, "a board digit stands for a board of par");
static_assert(MOVED_BOARDS * SLOTS_PER_BOARD == UPPER_GROUP, "the digits fill one line group");

namespace {

constexpr std::size_t LINE_BYTES = BUF_SIZE - 1;  // the longest line the readers take
constexpr std::string_view DEVICE = "tty";        // the start of a port's device name

int boards_read(const board_moves& moves) {
  return std::clamp(moves.nread, 0, MOVED_BOARDS);
}

// The length of the line at `at`: up to and including its newline, at most LINE_BYTES,
// as the readers of "Init" and "dces" take it.
std::size_t line_length(std::string_view text, std::size_t at) {
  const std::string_view rest = text.substr(at, LINE_BYTES);
  const std::size_t newline = rest.find('\n');
  return newline == std::string_view::npos ? rest.size() : newline + 1;
}

bool is_port_char(char c) {
  return c != '\0' && std::strchr(port_name, c) != nullptr;
}

// The board (from 0) of the identifier at `at` of `line` ("a13": group letter, board digit,
// port character, as buildc writes them), or -1 when none stands there.
int board_at(std::string_view line, std::size_t at) {
  if (at + 3 > line.size()) return -1;
  const char group = line[at];
  const char digit = line[at + 1];
  if (group != 'a' && group != 'A') return -1;
  if (digit < '0' || digit >= '0' + MOVED_BOARDS || !is_port_char(line[at + 2])) return -1;
  return digit - '0';
}

int board_of_init_line(std::string_view line) {
  return board_at(line, 0);
}

int board_of_dces_line(std::string_view line) {
  return line.starts_with(DEVICE) ? board_at(line, DEVICE.size()) : -1;
}

// `line` of board `old` under its place `now`: the digit of its identifier at `first`, and
// of each device name of the same board.
void put_moved(std::string& out, std::string_view line, std::size_t first, int old, int now) {
  const std::size_t start = out.size();
  out += line;
  const char digit = static_cast<char>('0' + now);
  out[start + first + 1] = digit;
  for (std::size_t at = line.find(DEVICE); at != std::string_view::npos;
       at = line.find(DEVICE, at + 1)) {
    if (board_at(line, at + DEVICE.size()) == old) out[start + at + DEVICE.size() + 1] = digit;
  }
}

// `text` line by line: a line whose identifier at `first` names a board as read
// (`board_of`) goes with that board or takes its new place; every other line stays.
std::string move_lines(std::string_view text, const board_moves& moves,
                       int (*board_of)(std::string_view), std::size_t first) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const std::string_view line = text.substr(at, line_length(text, at));
    at += line.size();
    const int old = board_of(line);
    const int now = old < 0 ? old : board_now(moves, old);
    if (old < 0 || now == old) {
      out += line;
    } else if (now != BOARD_GONE) {
      put_moved(out, line, first, old, now);
    }
  }
  return out;
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
  const auto end = moves.down.begin() + boards_read(moves);
  return std::find(moves.down.begin(), end, BOARD_GONE) != end;
}

std::string move_init_lines(std::string_view text, const board_moves& moves) {
  return move_lines(text, moves, board_of_init_line, 0);
}

std::string move_dces_lines(std::string_view text, const board_moves& moves) {
  return move_lines(text, moves, board_of_dces_line, DEVICE.size());
}
