// model, the layer above base: the records of the board catalog "cfg" and of the board
// parameters "par", their readers and writers, the rules a board set keeps, and the record
// of the port state that the old "Init" and "dces" carry over. Every record is a fixed-size
// value: the readers fill the one they are given, and every other function takes what it
// reads and returns what it makes. Tables of names end in a sentinel row.
//
// records.h: the records, their capacities and the keyword tables.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/lines.h"

namespace kdz {

// Capacities.
constexpr int MAX_TYPES = 13;             // types a catalog holds with both tables intact
constexpr int TYPE_ROWS = MAX_TYPES + 1;  // rows of `types` and of the tables by type
constexpr int MAX_VALUES = 16;            // values of one `value_list`
constexpr int MAX_BOARDS = 8;             // boards of `params`
constexpr int EDIT_MAX_BOARDS = 4;        // boards the editor adds
constexpr int MAX_TEXT = 255;             // the longest text of a record: the copy notice

// Attribute bits of `btype_rec::attr`.
constexpr std::uint16_t ATTR_EXTMEM = 1;  // dual-port memory may lie at or above 1 Mbyte
constexpr std::uint16_t ATTR_DCE = 2;     // ports may be DCE lines
constexpr std::uint16_t ATTR_16PORT = 4;  // 16 ports: two logical boards of eight

// Bus and mode values of `params` and `btype_rec::bus`.
constexpr int BUS_AT = 1, BUS_MC = 2;
constexpr int MODE_INTERRUPT = 1, MODE_POLL = 2;
constexpr int EISA_T_CODE = 10;  // type code the editor treats specially

// A board's ports, and the few of them that can be DCE lines.
constexpr int LOGICAL_PORTS = 8;  // ports of one logical board; a 16-port board is two
constexpr int DCE_PORTS = 8;      // only ports 0 to 7 can be DCE lines
// A board with an I/O address occupies this many addresses from it on.
constexpr int IO_SPAN = 8;

// Show flags of a menu row.
constexpr std::int32_t ROW_END = 0;      // ends the table
constexpr std::int32_t ROW_OFFERED = 1;  // listed and can be chosen
constexpr std::int32_t ROW_HIDDEN = 2;   // keeps its place, not listed

// Up to 16 values offered by a board type. Decimal lists (sizes, irqs) hold signed
// numbers; hexadecimal lists (I/O addresses) hold the bit pattern of unsigned ones.
struct value_list {
  std::int16_t count;
  std::array<std::int32_t, MAX_VALUES> values;
};

// One board type of the catalog; `def` holds the defaults before the first type.
struct btype_rec {
  char name[16];
  char class_[20];  // the type's class label ("class" cannot name a C++ member)
  char cp_name[16];
  std::uint16_t t_code;
  std::uint16_t attr;
  std::uint16_t num_waits;
  std::uint16_t bus;  // 0 not given, 1 AT, 2 MC
  value_list sizes;
  value_list irqs;
  value_list ioas_primary;
  value_list ioas_extras;
};

// The whole catalog.
struct config_rec {
  std::int32_t ntypes;
  std::uint8_t nclasses;
  std::uint8_t modes;  // bit set: 1 interrupt-driven, 2 polled
  char copy[MAX_TEXT + 1];
  char pkg[8];
  std::array<btype_rec, TYPE_ROWS> types;
};

// One installed board.
struct board_rec {
  std::uint16_t type;  // index into the catalog's `types`
  std::uint16_t size;  // dual-port size in Kbytes
  std::uint16_t irq;
  std::uint16_t ioa;
  std::uint32_t dpa;
};

// The parameter set.
struct params_rec {
  std::int32_t nboards;
  std::uint8_t bus;   // 0 not set, 1 AT, 2 MC
  std::uint8_t mode;  // 0 not set, 1 interrupt-driven, 2 polled
  std::array<board_rec, MAX_BOARDS> boards;
};

// Keyword codes, one numbering for "cfg" and "par".
enum keyword_code : std::int16_t {
  KW_MODE = 1,
  KW_COPY = 2,
  KW_SIZES = 3,  // "sizes" in cfg, "size" in par
  KW_IRQS = 4,   // "irqs" in cfg, "irq" in par
  KW_IOAS_PRIMARY = 5,
  KW_IOAS_EXTRAS = 6,
  KW_EXTENDED_MEM = 7,
  KW_IOA = 8,
  KW_DPA = 9,
  KW_BUS = 10,
  KW_CP_NAME = 11,
  KW_T_CODE = 12,
  KW_TYPE = 13,
  KW_PKG = 14,
  KW_CAN_DCE = 15,
  KW_NUM_PORTS = 16,
  KW_NUM_WAITS = 17,
  KW_CLASS = 18,
  KW_CODES = 19,  // one past the last code
};

// Tables that never change.
extern const std::array<tag_entry, 17> config_tags;  // keywords of "cfg"
extern const std::array<tag_entry, 8> param_tags;    // keywords of "par"
extern const char null[];                            // ""
extern const char cw[];                              // prefix of every warning about "cfg"
extern const char pw[];                              // prefix of every warning about "par"

// The file a reader's warning or a check's finding is about.
enum check_file { IN_CFG, IN_PAR, IN_DCES };

// A warning of a reader: the line it prints (without its newline), the file and the line
// (from 1) it is about.
struct reader_warning {
  check_file file;
  int line;
  std::string text;  // "<prefix> <problem>: <word>."
};
using warning_list = std::vector<reader_warning>;
// Prints each warning as its reader gave it, on standard output, one per line.
void print_warnings(const warning_list& warnings);
// Adds the reader's warning "<prefix> <problem>: <word>." about line `line` of `file` to
// `warnings` (`prefix` is cw or pw), the word from the file as a terminal can show it.
void warn(warning_list& warnings, check_file file, int line, const char* prefix,
          const char* problem, const char* word);

// The bus a word names by its first letter, in either case: BUS_AT for "a", BUS_MC for
// "m", 0 for any other.
int bus_of_word(const char* word);

// What a board type is made of.

// 16 for a type with ATTR_16PORT, else 8.
inline int ports_of(const btype_rec& type) {
  return (type.attr & ATTR_16PORT) ? 2 * LOGICAL_PORTS : LOGICAL_PORTS;
}

// A board's dual-port memory window, inclusive: from its memory address over its size in
// Kbytes, in 32 bits (a size of 0, or a window past 4 Gbytes, ends before it starts). A
// board without a memory address has none: 0 to 0. The System file merges these windows
// and the map draws them.
struct dp_window {
  std::uint32_t start, end;
};
inline dp_window window_of(const board_rec& b) {
  if (b.dpa == 0) return {0, 0};
  return {b.dpa, b.dpa + std::uint32_t{b.size} * 1024u - 1u};
}

// The port state carried over from the previous "Init" and "dces", one slot per terminal
// line: (UPPER_GROUP for the upper group, 0 for the lower one) + SLOTS_PER_BOARD * board +
// port. How the lines of those files name a slot is package/port_lines.h's.
constexpr int PORT_SLOTS = 256;
constexpr int UPPER_GROUP = 128;
constexpr int SLOTS_PER_BOARD = 16;  // a board owns 16 slots of each group
struct port_state {
  // 1 where the old "Init" had "respawn", and where the old "dces" listed the line.
  std::array<std::uint8_t, PORT_SLOTS> enabled;
  std::array<std::uint8_t, PORT_SLOTS> is_dce;
  // The line of the old "dces" that set each is_dce flag (the first, when several did).
  std::array<int, PORT_SLOTS> dce_lines;
};

}  // namespace kdz
