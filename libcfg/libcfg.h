// libcfg: the board catalog and parameter records, their files, and the rules a board set keeps.
//
// Every record is a fixed-size value: the readers fill the one they are given, and every
// other function takes what it reads and returns what it makes. Tables of names end in a
// sentinel row. The editor's menus and questions are declared apart, in libcfg/editor.h.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "libcfg/board_moves.h"

// Capacities.
constexpr int MAX_TYPES = 13;             // types a catalog holds with both tables intact
constexpr int TYPE_ROWS = MAX_TYPES + 1;  // rows of `types` and of the tables by type
constexpr int MAX_VALUES = 16;            // values of one `value_list`
constexpr int MAX_BOARDS = 8;             // boards of `params`
constexpr int EDIT_MAX_BOARDS = 4;        // boards the editor adds
constexpr int BUF_SIZE = 256;             // a line buffer: a line or an answer
constexpr int MAX_TOKENS = 129;           // 128 tokens of a 256-byte line and the null after them
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

// A row of a keyword or name table; the table ends with a row whose name is "".
struct tag_entry {
  const char* name;
  std::int16_t code;
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

// What an operation that can fail came to. A failure has been reported on standard error
// by the time the caller sees it; the caller decides what it means for its exit status.
// The attribute between "enum class" and the name is beyond clang-format.
// clang-format off
enum class [[nodiscard]] status {
  ok,
  missing,  // the file does not exist (ENOENT)
  failed,   // anything else: a path, an open, a read or a write failed
};
// clang-format on

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

// Where the readers found what they read, for the check to point at: line numbers counted
// from 1 at each newline (a line longer than a line buffer, read in pieces, is one line),
// 0 for none.
struct cfg_where {
  int first_cr;                 // the first line whose last word ends in a carriage return
  int pkg;                      // the last "pkg" line
  char pkg_text[MAX_TEXT + 1];  // its argument as written, before the cut to 7 characters
  int copy;                     // the last "copy" line
  std::array<int, MAX_VALUES> def_primary;  // the line of each value of def.ioas_primary
  std::array<int, MAX_VALUES> def_extras;   // and of def.ioas_extras
  struct type_where {
    int type;          // its "type" line
    bool name_cut;     // its name was longer than the 15 characters kept
    int ioas_primary;  // the line that gave its own list; 0 when it took def's
    int ioas_extras;
  };
  std::array<type_where, TYPE_ROWS> types;
};
struct par_where {
  static constexpr int MAX_DROPPED = 8;  // boards of unknown type recorded with their line
  int first_cr;                          // the first line whose last word ends in a carriage return
  int mode;                              // the last "mode" line
  struct board_where {
    int type, size, irq, ioa, dpa;  // the lines that gave its values
  };
  std::array<board_where, MAX_BOARDS> boards;
  struct dropped_board {
    int line;                 // its "type" line
    char type[MAX_TEXT + 1];  // the type name the catalog lacks
  };
  int ndropped;  // boards dropped for an unknown type, also beyond those recorded
  std::array<dropped_board, MAX_DROPPED> dropped;
  // A keyword given again in the head or in one board's block: its later value is used.
  static constexpr int MAX_REPEATS = 8;  // repeats recorded with their lines
  struct repeat {
    int line;             // the later line
    int earlier;          // the line whose value it replaces
    int board;            // the block's board (from 0), or -1 for the head
    const char* keyword;  // as param_tags names it
  };
  int nrepeats;  // also beyond those recorded
  std::array<repeat, MAX_REPEATS> repeats;
};

// A board catalog as read from "cfg": never changed once read. A value: copying it copies
// everything it holds (no pointer refers into it).
struct catalog {
  config_rec config;  // `nclasses` counts the types whose "class" line gave a label
  btype_rec def;      // the defaults before the first type
  // The show flag of each type's row of the class menu as the reader set it: ROW_OFFERED
  // for a type with a class label, ROW_HIDDEN for one whose "class" line gave none, ROW_END
  // for a type without a "class" line and after the last type.
  std::array<std::int32_t, TYPE_ROWS> class_rows;
  cfg_where lines;  // where the reader found what it read
};

// A parameter set as read from "par", made by the editor, or started fresh.
struct board_set {
  params_rec params;
  par_where lines;    // where each value stands in "par" (as read, or as last written)
  board_moves moves;  // where each board as read went since: remove_board records it
};

// The port state carried over from the previous "Init" and "dces" (see below).
constexpr int PORT_SLOTS = 256;
struct port_state {
  // 1 where the old "Init" had "respawn", and where the old "dces" listed the line.
  std::array<std::uint8_t, PORT_SLOTS> enabled;
  std::array<std::uint8_t, PORT_SLOTS> is_dce;
  // The line of the old "dces" that set each is_dce flag (the first, when several did).
  std::array<int, PORT_SLOTS> dce_lines;
};

// Tokenizer and small parsers.

// Splits `line` in place into blank-separated and quoted tokens, up to its newline, a
// comment or its end. Fills argv[0..n-1] with pointers into `line` and argv[n] with null;
// returns n. REQUIRES: `argv` has room for every token and the null after them
// (MAX_TOKENS for a line of BUF_SIZE bytes).
int argvify(char** argv, char* line);
// The code of the first row of `table` whose name equals `key` exactly, or -1. A row
// with an empty or null name ends the table and is never compared.
int search(const tag_entry* table, const char* key);
// The hexadecimal text (no prefix, leading blanks skipped) as an unsigned 32-bit value;
// 0 for text that holds anything else.
std::uint32_t htol(const char* text);
// Decimal text read as the C library's atoi reads it: strtol's value, saturated at the
// range of long, then its low 32 bits.
std::int32_t read_decimal(const char* text);
// The bus a word names by its first letter, in either case: BUS_AT for "a", BUS_MC for
// "m", 0 for any other.
int bus_of_word(const char* word);
// Whether a word ends in a carriage return, as the last word of each line of a file saved
// with DOS line ends does.
bool ends_in_cr(const char* word);
// Adds the reader's warning "<prefix> <problem>: <word>." about line `line` of `file` to
// `warnings` (`prefix` is cw or pw).
void warn(warning_list& warnings, check_file file, int line, const char* prefix,
          const char* problem, const char* word);

// Paths and files of the package directory.

// Where a program reads and writes its files, and the name it gives in its messages.
struct program_files {
  const char* prog;  // the invocation path: the name in every message
  std::string dir;   // the package directory, ending in '/', or "" for the current one
};
// The files beside the program: the directory of `prog`, up to and including its last '/'
// (none for a bare name, which means the current directory).
program_files beside_program(const char* prog);
// The files in `dir` (-C DIR): paths are "DIR/name".
program_files in_directory(const char* prog, const char* dir);
// The package directory as realpath(3) gives it, without a trailing '/'; as formed when it
// cannot be resolved. For the messages that tell the user where a program looked.
std::string where_files_are(const program_files& at);

// at.dir followed by `name`, allocated with path_alloc; the caller frees it. Null after
// writing "<prog>: make_path: malloc() : no memory" to standard error.
char* make_path(const program_files& at, const char* name);
// The allocator behind make_path: malloc, in a file of its own so that a test can link in
// one that fails.
void* path_alloc(std::size_t size);

// Owners of what make_path returns and of open files.
struct path_free {
  void operator()(char* p) const { std::free(p); }
};
using path_ptr = std::unique_ptr<char, path_free>;
struct file_close {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using file_ptr = std::unique_ptr<std::FILE, file_close>;

// Writes "<prog>: <func>: <call>(<path>) " and the system's error text for errno to
// standard error, as perror does with an empty prefix.
void report_call(const char* prog, const char* func, const char* call, const char* path);
// Writes `text` to `f` as it is. Unlike fmt::print, a failed write does not throw: it is
// left to the stream's error flag, which finish_program reports for standard output.
void write_text(std::FILE* f, std::string_view text);
// report_call for a failed "fopen".
void report_fopen(const char* prog, const char* func, const char* path);
// Opens `path` for reading without waiting on it, so that a FIFO or a device in its place
// cannot hang the program. Null after reporting, as `func` of `prog`, a file that cannot be
// opened (report_fopen) or one that is neither a regular file nor a directory
// ("<prog>: <func>: <path> is not a regular file").
file_ptr open_input(const char* prog, const char* func, const char* path);
// Why open_unwaited gave no stream.
enum class input_fault { none, cannot_open, not_regular };
// Opens `path` for reading without waiting on it, so that a FIFO or a device in its place is
// refused, not read (a directory opens, and its first read fails). Null, silently, when it
// cannot be opened (`fault` cannot_open, errno set) or is neither a regular file nor a
// directory (`fault` not_regular).
file_ptr open_unwaited(const char* path, input_fault& fault);
// Reads the file `name` of the package directory with `read`, which returns false when a
// read fails (with errno set). After reporting, as `func` of at.prog, a path that cannot be
// formed, a file open_input refuses, or a failed read ("read(<path>)"): status::missing for
// a file that does not exist, status::failed for the rest.
status load_beside(const program_files& at, const char* name, const char* func,
                   const std::function<bool(std::FILE*)>& read);

// The directory part of `path`: "." when it has none, "/" for a file of the root.
std::string dir_of(const std::string& path);
// The file that `path` names once symbolic links are followed: new contents take the place
// of that file, not of the link, and an editor locks its directory. A dangling link gives
// the file it would create.
std::string file_behind(const char* path);
// Whether the file at `path` (the file a symbolic link names) is a regular file that holds
// exactly `text`, as replace_file would find it and leave it untouched.
bool file_holds(const char* path, std::string_view text);

// Files written whole. How replace_file keeps a file:
enum replace_flag : unsigned {
  KEEP_OLD = 1,  // the previous version stays beside it as NAME.old, one generation
  SYNC = 2,      // the new contents reach the disk before they take the file's place
};
// Makes the file at `path` hold `text`, replacing it whole, as `func` of `prog`:
// - where fopen(path, "w") would fail, that failure is reported as report_fopen does (a
//   FIFO, socket or device as "<path> is not a regular file") and nothing is created or
//   changed;
// - a file that already holds `text` is not touched;
// - otherwise `text` goes to a temporary file beside the file (beside the file a symbolic
//   link names) that takes its place by a rename, with its permission bits, owner and
//   group; a file of several hard links, or in a directory that takes no new file, is
//   rewritten in place, its room reserved first (posix_fallocate) and its ".old" copy
//   complete and flushed before a byte of it changes;
// - a failure after that is reported as "write(<path>)", or "write(<path>.old)" when it was
//   the ".old" copy's; the file keeps its old contents (also when rewritten in place, unless
//   a write fails after its room was reserved), a missing file stays missing, no temporary
//   file is left, and the file and its ".old" copy are never two names of one file;
// - what a killed run left beside the file while replacing it (".NAME.PID-N",
//   ".NAME.old.PID", ".NAME.old.PID-N" of a process that no longer exists) is removed, as
//   found when this process first replaced a file in that directory.
// SIGINT, SIGTERM and SIGHUP wait until the file is replaced. stage_file then place_file.
status replace_file(const char* prog, const char* func, const char* path, std::string_view text,
                    unsigned flags);

// One file's replacement made ready, nothing visible changed yet: the new contents written
// and flushed beside the file, its ".old" copy complete and flushed. Move-only; dropped
// before it is placed, it removes what it made and leaves no file behind. While one is
// pending, SIGINT, SIGTERM and SIGHUP wait. Its members are replace_file.cpp's alone.
class staged_file {
 public:
  // What was made, and what placing it still has to do (replace_file.cpp).
  struct parts {
    const char* prog = nullptr;  // for the messages: the program's name and a function's,
    const char* func = nullptr;  // which outlive every staged file
    std::string path;            // the path as given: the messages name it
    std::string file;            // the file itself, symbolic links followed; "" when none
    std::string text;            // the new contents, kept only for an in-place write
    std::string next;            // the new contents beside the file, while not placed
    std::string old;             // the current version, to become FILE.old, while not placed
    bool sync = false;
    bool in_place = false;    // rewritten where it stands at placing time, from `text`
    bool old_failed = false;  // what failed was the ".old" copy: the message names it
  };
  staged_file() = default;
  ~staged_file();
  staged_file(staged_file&& other) noexcept;
  staged_file& operator=(staged_file&& other) noexcept;
  staged_file(const staged_file&) = delete;
  staged_file& operator=(const staged_file&) = delete;
  // Whether a replacement waits to be placed (false: nothing to do, placed, or failed).
  bool pending() const { return !parts_.file.empty(); }

 private:
  void drop() noexcept;  // removes what was made and not placed
  parts parts_;
  friend status stage_file(const char* prog, const char* func, const char* path,
                           std::string_view text, unsigned flags, staged_file& staged);
  friend status place_file(staged_file& staged);
};
// The first half of replace_file: everything but the renames (or the in-place write) that
// make the new contents the file's. `prog` and `func` must outlive `staged`. Reports its failures
// as replace_file does and then leaves `staged` empty and nothing changed; equal contents leave
// `staged` empty too, with status::ok. Where the directory takes no new file, an existing ".old"
// copy is rewritten in place already here. REQUIRES: no other staged file of this process is for
// the same file.
status stage_file(const char* prog, const char* func, const char* path, std::string_view text,
                  unsigned flags, staged_file& staged);
// The second half: renames the new contents onto the file, then the ".old" copy onto
// "NAME.old" (a file rewritten in place: its ".old" copy first, then the file). A failure
// is reported as replace_file reports it. `staged` is empty afterwards; an empty one is
// status::ok.
status place_file(staged_file& staged);

// The name a program was started by (argv[0], or "" without one), for its paths and its
// messages. Ignores SIGXFSZ, so that a file grown past the size limit fails its write, and
// puts `stdout` on a stream of descriptor 1 that keeps the error of its first failed write
// (buffered as stdio buffers standard output), for finish_program to report.
const char* start_program(int argc, char** argv);
// The exit status once standard output is flushed: `status`; or, when standard output
// could not be written, `failed` in place of a status of 0, after writing
// "<prog>: stdout: " and the error text of the write that failed to standard error.
int finish_program(const char* prog, int status, int failed);

// What a board type is made of.

// 16 for a type with ATTR_16PORT, else 8.
inline int ports_of(const btype_rec& type) {
  return (type.attr & ATTR_16PORT) ? 2 * LOGICAL_PORTS : LOGICAL_PORTS;
}

// Board catalog "cfg".

// Reads a catalog from `in` into `cat`, which starts empty; the warnings about lines it
// cannot use are added to `warnings` in the order of the lines. An empty stream gives a
// catalog without types. False (errno set) when a read failed.
bool read_config(std::FILE* in, catalog& cat, warning_list& warnings);
// Reads the catalog `name` ("cfg") of the package directory with read_config. A failure
// has been reported (load_beside); the warnings are not printed.
status load_config(const program_files& at, const char* name, catalog& cat, warning_list& warnings);
// The type-name table of `cat`: row i is { types[i].name, i }, and an end row follows the
// last type. Its names point into `cat`, which must outlive it.
std::array<tag_entry, TYPE_ROWS> type_tags(const catalog& cat);
// The index of the type named `name`, as search() finds it in type_tags(cat), or -1.
int find_type(const catalog& cat, const char* name);
// Lists the catalog on standard output: modes, copy, pkg, then two lines per type.
void print_config(const catalog& cat);

// Board parameters "par".

// Reads a parameter set from `in` into `set`, which starts empty (bus and mode unset),
// finding each board's type by name in the catalog; a board of unknown type is dropped.
// set.moves then holds each board read where it was read.
// The warnings are added to `warnings` in the order of the lines. False (errno set) when a
// read failed.
bool read_params(std::FILE* in, const catalog& cat, board_set& set, warning_list& warnings);
// Reads "par" of the package directory with read_params. A failure has been reported
// (load_beside); the warnings are not printed.
status load_params(const program_files& at, const catalog& cat, board_set& set,
                   warning_list& warnings);
// Writes `set` to `f` in the format read_params reads back to the same set (an unset mode
// gets no mode line, a set without boards no bus line; a set with boards whose bus is
// unset gets "bus mc"). Returns where each value stands in what it wrote.
// REQUIRES: every board's type is a type of `cat`.
par_where write_params(std::FILE* f, const catalog& cat, const params_rec& set);
// The text write_params writes, and in `lines` where each value stands in it.
std::string params_text(const catalog& cat, const params_rec& set, par_where& lines);
// Makes ready (stage_file) the replacement of "par" of the package directory by set.params,
// which keeps the previous "par" as "par.old" once placed; set.lines then tells where each
// value stands in the file as written.
status save_params(const program_files& at, const catalog& cat, board_set& set,
                   staged_file& staged);
// Lists the set on standard output, each board with its type's class label.
void print_params(const catalog& cat, const params_rec& set);
// Starts a fresh set from a command line: bus AT when argv[1] begins with "a" or "A",
// MC for any other argument, unset without one; no boards, mode unset.
board_set init_params(int argc, char** argv);

// Rules of a board set, kept apart from the editor's messages so that the check of "par"
// applies the very same ones.

// Index of the first value of `list` equal to `value`, or -1.
int list_index(const value_list* list, std::int32_t value);
// The I/O addresses a type accepts: its primary ones, then its extras; the first 16.
value_list ioa_choices(const value_list* primary, const value_list* extras);
// Whether `type` is made for `bus`.
bool type_on_bus(const btype_rec* type, int bus);
// Whether the class menu offers `type` once the bus is set to `bus`: on that bus, with a class.
bool class_on_bus(const btype_rec* type, int bus);
// Whether the driver mode `mode` (1 or 2) is among the catalog's `modes`.
bool mode_allowed(int mode, int modes);
// Whether the catalog's `modes` lets the user choose, and switch, the mode.
bool mode_can_change(int modes);
// Whether `nboards` boards are more than the editor adds.
bool too_many_boards(int nboards);
// The size in Kbytes that a board on `bus` with I/O address `ioa` must have whatever its
// type offers, or 0 when its type's sizes hold.
std::uint16_t forced_size(int bus, std::uint16_t ioa);
// What is wrong with a dual-port address for a type's attributes and a size in Kbytes.
enum dp_fault { DP_OK, DP_ABOVE_1MB, DP_OFF_BOUNDARY };
dp_fault dp_addr_fault(std::uint32_t addr, std::uint16_t attr, int size);
// The first interrupt-sharing rule that `set` breaks (none in poll mode). A non-null
// `pair` receives the indexes of the first two boards that break it, the lower first.
enum irq_fault { IRQ_OK, IRQ_EISA_SHARED, IRQ_MIXED };
irq_fault irq_rule_broken(const catalog& cat, const params_rec* set, int* pair = nullptr);

// Port numbering and the state carried over from the previous "Init" and "dces".

// One slot per terminal line: (128 for the upper group 'A', 0 for the lower group 'a')
// + 16 * board + port.
constexpr int UPPER_GROUP = 128;
constexpr int SLOTS_PER_BOARD = 16;  // a board owns 16 slots of each group

// Port characters: the character of port p is port_name[p].
extern const char* const port_name;

// The port index of a three-character identifier (group letter, board digit, port
// character), or -1 when it falls outside the tables.
int port_index(unsigned char group, unsigned char board, unsigned char port);
// Clears ports.enabled, then sets the flag of every line of `in` that has "respawn" at
// positions 7 to 13, for the identifier at positions 0 to 2. False (errno set) when a read
// failed; the lines before it keep their flags.
bool read_init_flags(std::FILE* in, port_state& ports);
// Clears ports.is_dce and ports.dce_lines, then sets the flag of every line of `in` that
// begins with "tty", for the identifier at positions 3 to 5. False as read_init_flags.
bool read_dce_flags(std::FILE* in, port_state& ports);
// Read the old "Init" and "dces" at `path` into `ports`. A missing file leaves their flags
// clear, silently: status::missing. One that exists but cannot be opened, gives a read
// error, or is not a regular file (a directory too) leaves them clear after reporting, as
// "load_init" or "load_dces" of `prog`, "fopen(<path>) " or "read(<path>) " and the error
// text, or "<path> is not a regular file": status::failed. A generator that writes over
// such a file would switch off every line the user switched on.
status load_init(const char* prog, const char* path, port_state& ports);
status load_dces(const char* prog, const char* path, port_state& ports);
// What became of reading an old file, for a caller that says nothing about it.
enum class old_read { read, missing, cannot_open, not_regular, read_failed };
// load_dces without a word: errno is set for cannot_open and read_failed.
old_read read_old_dces(const char* path, port_state& ports);

// The check of the catalog and a parameter set, as `editpar -c` runs it: each finding is a
// rule broken, with the file and line it is about.

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

// Where a finding stands on the resource map: with a board's irq, I/O range or memory
// window, or nowhere.
enum map_place { ON_NOTHING, ON_IRQ, ON_IO_RANGE, ON_WINDOW };
struct finding {
  check_file file;
  int line;   // 0 when there is no line to point at
  int board;  // the board it is about (from 0), or -1
  map_place place;
  std::string text;  // its own words
  int other = -1;    // the other board a finding about two boards names (from 0), or -1
};
// The values of `list` as "3, 5, 7", in hexadecimal when `hex`, for a finding or a
// refusal that names what a type offers.
std::string list_text(const value_list& list, bool hex);
// `text` with its control characters written as C escapes ("\r", "\t", "\033"), for a
// finding that shows what the user wrote.
std::string visible(const char* text);
// The paths the findings name, as the program formed them.
struct check_paths {
  path_ptr cfg, par, dces;
};

// The paths of "cfg", "par" and the old DCE list `dces` (its name in the package table)
// in the package directory; false after make_path reported a failure.
bool form_check_paths(const program_files& at, const char* dces, check_paths& paths);
// The old DCE list at paths.dces, read as buildc reads it; when it cannot be read, silently,
// no port is a DCE line (the check judges "par", and buildc refuses such a file itself).
port_state old_dces(const char* prog, const check_paths& paths);
// What the readers could not use and the check can point at: a board dropped for an
// unknown type, the first line of each file whose last word ends in a carriage return.
std::vector<finding> reader_findings(const catalog& cat, const board_set& set);
// The rules of the catalog, whatever "par" holds: the package name, texts that kdzspc.h
// could not hold, types that "par" cannot name, I/O addresses that pass ffff.
std::vector<finding> catalog_findings(const catalog& cat);
// The rules of the parameter set, at the lines of set.lines: the mode, the number of
// boards, each board's values against its type, shared irqs, overlapping I/O ranges,
// memory windows, and minor numbers that the old "dces" (`ports`) would repeat.
std::vector<finding> parameter_findings(const catalog& cat, const board_set& set,
                                        const port_state& ports);
// All three, sorted by file (cfg, par, dces) and line, the rules' order kept within a line.
std::vector<finding> all_findings(const catalog& cat, const board_set& set,
                                  const port_state& ports);
// The number of all_findings, formatting none of them: what `editpar -c` reports but for the
// readers' warnings.
int count_findings(const catalog& cat, const board_set& set, const port_state& ports);
// Writes `f` as one line: `prefix`, "PATH:LINE: " ("PATH: " without a line), "board N: "
// for a board's finding, then its words.
void print_finding(std::FILE* out, const char* prefix, const check_paths& paths, const finding& f);
// That line without its newline.
std::string finding_line(const char* prefix, const check_paths& paths, const finding& f);
// The check `editpar -c`: writes all_findings to `out`, and returns their number plus
// `warnings`, the number of the readers' warnings. `ports` is the old DCE list (old_dces).
int check_set(const check_paths& paths, const catalog& cat, const board_set& set,
              const port_state& ports, int warnings, std::FILE* out);
// After "par" was saved: the parameter findings of the set as written (set.lines as
// save_params left them) with the old DCE list `ports`, each on standard error after
// "<prog>: warning: ".
void warn_after_saving(const char* prog, const check_paths& paths, const catalog& cat,
                       const board_set& set, const port_state& ports);
// The resource map `editpar -m`: irq lines, I/O ranges and memory windows of the boards,
// each finding (with the old DCE list `ports`) marked where it stands, on `out`.
void draw_map(const check_paths& paths, const catalog& cat, const board_set& set,
              const port_state& ports, std::FILE* out);
