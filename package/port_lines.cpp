// The lines of "Init" and "dces": read back into the port state, and renumbered to follow
// the boards of "par" when boards before theirs are deleted.
#include "package/port_lines.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "base/files.h"
#include "base/lines.h"
#include "model/board_set.h"
#include "model/records.h"

namespace kdz {

namespace {

static_assert(MOVED_BOARDS * SLOTS_PER_BOARD == UPPER_GROUP, "the board digits fill one group");

constexpr int LINE_SIZE = 256;  // a line of at most 255 characters, as fgets gives it
// Any port character but a decimal digit is taken as a lower-case hex letter: its code
// less this gives 10 for 'a' to 15 for 'f'.
constexpr int HEX_LETTER_BASE = 'a' - 10;

int port_value(unsigned char c) {
  return (c >= '0' && c <= '9') ? c - '0' : c - HEX_LETTER_BASE;
}

// True when positions first to first + 2 of the line all hold identifier characters:
// the line's text reaches past them and none of them is its newline or a NUL byte.
bool has_identifier(std::string_view line, std::size_t first) {
  const auto id_char = [](char c) { return c != '\0' && c != '\n'; };
  return line.size() >= first + 3 && id_char(line[first]) && id_char(line[first + 1]) &&
         id_char(line[first + 2]);
}

// The index of the identifier at `first`, or -1 when it is incomplete or its index falls
// outside the tables.
int index_at(std::string_view line, std::size_t first) {
  if (!has_identifier(line, first)) return -1;
  const auto* id = reinterpret_cast<const unsigned char*>(line.data() + first);
  return port_index(id[0], id[1], id[2]);
}

// "respawn" at positions 7 to 13, the text before it reaching that far without a NUL byte.
// Compared with sizes the compiler knows, unrolled: no library call or loop for each line.
bool is_respawn_line(std::string_view line) {
  if (line.size() < 14 || std::memcmp(line.data() + 7, "respawn", 7) != 0) return false;
  return line[0] != '\0' && line[1] != '\0' && line[2] != '\0' && line[3] != '\0' &&
         line[4] != '\0' && line[5] != '\0' && line[6] != '\0';
}

bool is_tty_line(std::string_view line) {
  return line.starts_with("tty");
}

// Clears `flags` (and `where`, when given), then sets the flag of the identifier at `first`
// of every line of `in` that `matches`, and its first line in `where`. Lines are read as
// fgets reads them into a buffer of LINE_SIZE bytes, and counted from 1 at their newlines,
// so a long line read in pieces is one line. False (errno set) when a read failed: the
// lines before it keep their flags. `matches` is a parameter of the template so that it is
// compiled into the loop, not called through a pointer for every line.
template <bool (*matches)(std::string_view)>
bool read_flags(std::array<std::uint8_t, PORT_SLOTS>& flags, std::array<int, PORT_SLOTS>* where,
                std::FILE* in, std::size_t first) {
  flags.fill(0);
  if (where != nullptr) where->fill(0);
  char spill[LINE_SIZE];
  line_reader lines(in);
  int number = 1;
  for (std::string_view line; !(line = read_piece(lines, spill, sizeof spill)).empty();) {
    const int index = matches(line) ? index_at(line, first) : -1;
    if (index >= 0) {
      flags[index] = 1;
      if (where != nullptr && (*where)[index] == 0) (*where)[index] = number;
    }
    if (line.back() == '\n') ++number;
  }
  if (lines.error == 0) return true;
  errno = lines.error;
  return false;
}

// One of the old files: the flags it sets, and how its lines are read into them.
struct old_file {
  const char* func;  // the loader's name in its messages
  std::array<std::uint8_t, PORT_SLOTS> port_state::*flags;
  std::array<int, PORT_SLOTS> port_state::*lines;  // where each flag was set, or null
  bool (*read)(std::FILE*, port_state&);
};
constexpr old_file old_init{"load_init", &port_state::enabled, nullptr, read_init_flags};
constexpr old_file old_dces_file{"load_dces", &port_state::is_dce, &port_state::dce_lines,
                                 read_dce_flags};

void clear(const old_file& file, port_state& ports) {
  (ports.*file.flags).fill(0);
  if (file.lines != nullptr) (ports.*file.lines).fill(0);
}

// Reads the old file at `path` into its flags, which are clear unless it was read whole. A
// directory is not a file of lines, whatever a read of it would give.
error load_old(const old_file& file, const char* path, port_state& ports) {
  clear(file, ports);
  file_ptr f;
  if (error e = open_input(file.func, path, f); !e.ok()) return e;
  struct stat st {};
  if (fstat(fileno(f.get()), &st) != 0 || S_ISDIR(st.st_mode)) return not_regular(file.func, path);
  if (file.read(f.get(), ports)) return {};
  error e = failed_call(file.func, "read", path);
  clear(file, ports);
  return e;
}

constexpr std::size_t LINE_BYTES = LINE_SIZE - 1;  // the longest line the readers take
constexpr std::string_view DEVICE = "tty";         // the start of a port's device name

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
  if (group != LOWER_LETTER && group != UPPER_LETTER) return -1;
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

int port_index(unsigned char group, unsigned char board, unsigned char port) {
  const int index = (group == UPPER_LETTER ? UPPER_GROUP : 0) + SLOTS_PER_BOARD * (board - '0') +
                    port_value(port);
  return (index >= 0 && index < PORT_SLOTS) ? index : -1;
}

bool read_init_flags(std::FILE* in, port_state& ports) {
  return read_flags<is_respawn_line>(ports.enabled, nullptr, in, 0);
}

bool read_dce_flags(std::FILE* in, port_state& ports) {
  return read_flags<is_tty_line>(ports.is_dce, &ports.dce_lines, in, 3);
}

error load_init(const char* path, port_state& ports) {
  return load_old(old_init, path, ports);
}

error load_dces(const char* path, port_state& ports) {
  return load_old(old_dces_file, path, ports);
}

std::string move_init_lines(std::string_view text, const board_moves& moves) {
  return move_lines(text, moves, board_of_init_line, 0);
}

std::string move_dces_lines(std::string_view text, const board_moves& moves) {
  return move_lines(text, moves, board_of_dces_line, DEVICE.size());
}

}  // namespace kdz
