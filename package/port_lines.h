// package, the layer above model: the package directory and its files. Which files a run
// generates and how each is kept, how the lines of "Init" and "dces" name a port, and the
// locks that keep two writers of the directory apart.
//
// port_lines.h: the one home of a port's name in the generated files. A port is named by
// its identifier, group letter + board digit + port character ("A1f": the upper group,
// board 1, port 15), and its device by "tty" + identifier ("ttyA1f"). "Init" holds two
// getty lines per port ("A1f:23:off:/etc/getty ttyA1f 9600"), "dtes" and "dces" one device
// name a line, and "Node" one node per device. Here they are written (the formats), read
// back into the port state, and renumbered when boards before theirs are deleted.
#pragma once

#include <fmt/compile.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "base/files.h"
#include "model/board_set.h"
#include "model/records.h"

namespace kdz {

// The group letters: the lower group's slots start at 0, the upper group's at UPPER_GROUP.
constexpr char LOWER_LETTER = 'a', UPPER_LETTER = 'A';
constexpr char group_letter(int group) {
  return group == 0 ? LOWER_LETTER : UPPER_LETTER;
}
// The digit of board b, from 0: one character, as every board of "par" has one.
constexpr char board_digit(int board) {
  return static_cast<char>('0' + board);
}
static_assert(MAX_BOARDS <= 10, "a board's number is one digit");
// The character of port p is port_name[p].
inline constexpr char port_name[] = "0123456789abcdef";

// The formats of the generated lines, compiled when the program is built. Each takes the
// three characters of an identifier (group letter, board digit, port character), unless it
// says otherwise: a character is stored, where a number would be converted.
// A line of "Init", switched on and off: the identifier, the line's action, its getty.
inline constexpr auto INIT_LINE_ON =
    FMT_COMPILE("{0}{1}{2}:23:respawn:/etc/getty tty{0}{1}{2} 9600\n");
inline constexpr auto INIT_LINE_OFF =
    FMT_COMPILE("{0}{1}{2}:23:off:/etc/getty tty{0}{1}{2} 9600\n");
// A line of "dtes" and "dces".
inline constexpr auto LISTED_LINE = FMT_COMPILE("tty{}{}{}\n");
// A device name in a message.
inline constexpr auto DEVICE_NAME = FMT_COMPILE("tty{}{}{}");
// A line of "Node" begins alike for every port of a group: the package name, a tab and the
// device name up to the group letter (taking the package name and the group letter), or for
// the ttp nodes of the lower group, up to "ttpa" (taking the package name). Formatted once
// per group, that head then takes its board digit, port character, and the node's minor.
inline constexpr auto NODE_TTY_HEAD = FMT_COMPILE("{}\ttty{}");
inline constexpr auto NODE_TTP_HEAD = FMT_COMPILE("{}\tttpa");
inline constexpr auto NODE_LINE = FMT_COMPILE("{}{}{}\tc\t{}\n");

// The slot of an identifier's three characters (group letter, board digit, port
// character), or -1 when it falls outside the tables. Any group letter but 'A' is the lower
// group, any port character but a decimal digit a lower-case hex letter.
int port_index(unsigned char group, unsigned char board, unsigned char port);

// Clears ports.enabled, then sets the flag of every line of `in` that has "respawn" at
// positions 7 to 13, for the identifier at positions 0 to 2. Lines are read as fgets reads
// them into a buffer of 256 bytes, a longer line in pieces. False (errno set) when a read
// failed; the lines before it keep their flags.
bool read_init_flags(std::FILE* in, port_state& ports);
// Clears ports.is_dce and ports.dce_lines, then sets the flag of every line of `in` that
// begins with "tty", for the identifier at positions 3 to 5, and the number of its first
// such line (counted from 1 at each newline). False as read_init_flags.
bool read_dce_flags(std::FILE* in, port_state& ports);
// Read the old "Init" and "dces" at `path` into `ports`; their flags stay clear unless the
// file is read whole. A missing file: kind missing, which a generator takes as every line
// off. One that exists but cannot be opened, gives a read error, or is not a regular file (a
// directory too): "load_init" or "load_dces", "fopen(<path>) " or "read(<path>) " and the
// error text, or not_regular. A generator that writes over such a file would switch off
// every line the user switched on.
error load_init(const char* path, port_state& ports);
error load_dces(const char* path, port_state& ports);

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

}  // namespace kdz
