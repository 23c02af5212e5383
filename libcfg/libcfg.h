// libcfg: the board catalog and parameter records, their files, and the board editor.
//
// Every record is a fixed-size global, zero at start, filled by the loaders and read by
// the generator and the editor. Tables of names and menu rows end in a sentinel row.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

// Capacities.
constexpr int MAX_TYPES = 13;             // types a catalog holds with both tables intact
constexpr int TYPE_ROWS = MAX_TYPES + 1;  // rows of `types`, `btype_tags`, `bclass_menu`
constexpr int MAX_VALUES = 16;            // values of one `value_list`
constexpr int MAX_BOARDS = 8;             // boards of `params`
constexpr int EDIT_MAX_BOARDS = 4;        // boards the editor adds
constexpr int BUF_SIZE = 256;             // the shared line and answer buffer
constexpr int MAX_TOKENS = 129;           // 128 tokens of a 256-byte line and the null after them

// Attribute bits of `btype_rec::attr`.
constexpr std::uint16_t ATTR_EXTMEM = 1;  // dual-port memory may lie at or above 1 Mbyte
constexpr std::uint16_t ATTR_DCE = 2;     // ports may be DCE lines
constexpr std::uint16_t ATTR_16PORT = 4;  // 16 ports: two logical boards of eight

// Bus and mode values of `params` and `btype_rec::bus`.
constexpr int BUS_AT = 1, BUS_MC = 2;
constexpr int MODE_INTERRUPT = 1, MODE_POLL = 2;
constexpr int EISA_T_CODE = 10;  // type code the editor treats specially

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
  char copy[256];
  char pkg[8];
  std::array<btype_rec, TYPE_ROWS> types;
};

// One installed board.
struct board_rec {
  std::uint16_t type;  // index into `config.types`
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

// A row of a menu: show 0 ends the table, 1 offers the row, 2 keeps it hidden.
struct menu_item {
  std::int32_t show;
  const char* label;
  void (*action)();
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
};

// Globals.
extern config_rec config;
extern config_rec* cp;
extern btype_rec def;
extern params_rec params;
extern params_rec* pp;
extern board_rec garbage;
extern char buf[BUF_SIZE];
extern std::array<tag_entry, TYPE_ROWS> btype_tags;
extern std::array<menu_item, TYPE_ROWS> bclass_menu;
extern const std::array<tag_entry, 17> config_tags;
extern const std::array<tag_entry, 8> param_tags;
extern const char null[];
extern const char cw[];
extern const char pw[];

// Tokenizer and small parsers.

// Splits `line` in place into blank-separated and quoted tokens; `argv` needs room for
// every token and the null after them (MAX_TOKENS for a line of `buf`).
int argvify(char** argv, char* line);
// Code of the first row of `table` whose name equals `key`, or -1.
int search(const tag_entry* table, const char* key);
// Hexadecimal text without prefix; 0 for anything else.
std::uint32_t htol(const char* text);
// Decimal text read as the C library's atoi reads it, as a 32-bit value.
std::int32_t read_decimal(const char* text);
// The directory of `prog` (up to its last '/') followed by `name`, allocated with
// `path_alloc`; null after reporting a failed allocation.
char* make_path(const char* prog, const char* name);
// The allocator behind make_path; tests replace it to exercise the failure.
extern void* (*path_alloc)(std::size_t);

// Owners of what make_path returns and of open files.
struct path_free {
  void operator()(char* p) const { std::free(p); }
};
using path_ptr = std::unique_ptr<char, path_free>;
struct file_close {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using file_ptr = std::unique_ptr<std::FILE, file_close>;

// Writes "<prog>: <func>: fopen(<path>) " and the system's error text to standard error.
void report_fopen(const char* prog, const char* func, const char* path);
// Opens the file `name` beside the program with `mode`; null when the path cannot be
// formed or the file cannot be opened, after reporting it as `func` of `prog`.
file_ptr open_beside(const char* prog, const char* name, const char* mode, const char* func);

// Board catalog "cfg".
config_rec* load_config(const char* prog, const char* name);
void print_config();

// Board parameters "par".
params_rec* load_params(const char* prog);
int save_params(const char* prog);
void print_params();
params_rec* init_params(int argc, char** argv);

// Board editor. Questions go to `ed_out`, answers come from `ed_in` (standard output and
// input unless editor_io says otherwise). When the input ends while a question waits,
// the question throws end_of_input.
struct end_of_input {};
extern std::FILE* ed_in;
extern std::FILE* ed_out;
void editor_io(std::FILE* in, std::FILE* out);

int selection(menu_item* menu);
int pick_a_or_b(int a, int b, const char* question, const char* help);
int pick_n_to_m(int quit_ok, int lowest, int highest, const char* question, const char* help);
int pick_1_of_list(int mode, const value_list* list, const char* question, const char* help);
int which_board(const char* verb);

std::uint16_t get_ioa(int board, const value_list* primary, const value_list* extras);
std::uint16_t get_irq(int board, const value_list* irqs);
std::uint16_t get_mem_size(int board, const value_list* sizes);
std::uint32_t get_dp_addr(int board, const btype_rec* type);
void get_mode();

extern std::array<menu_item, 7> main_menu;
extern std::array<menu_item, 5> mod_menu;
void add_board();
void mod_board();
void del_board();
void list_params();
void switch_mode();

int edit_params();
int check_params();

// Rules of a board set, kept apart from the editor's messages so that a checker of "par"
// applies the very same ones.

// Index of the first value of `list` equal to `value`, or -1.
int list_index(const value_list* list, std::int32_t value);
// The I/O addresses a type accepts: its primary ones, then its extras; the first 16.
value_list ioa_choices(const value_list* primary, const value_list* extras);
// Whether `type` is made for `bus`.
bool type_on_bus(const btype_rec* type, int bus);
// Whether the class menu offers `type` once the bus is set to `bus`.
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
// The first interrupt-sharing rule that `set` breaks (none in poll mode); board types are
// looked up in `config`. A non-null `pair` receives the indexes of the first two boards
// that break it, the lower first.
enum irq_fault { IRQ_OK, IRQ_EISA_SHARED, IRQ_MIXED };
irq_fault irq_rule_broken(const params_rec* set, int* pair = nullptr);

// Checks `params` against `config` with the rules above and writes one line per finding
// to `out`; returns the number of findings.
int check_set(std::FILE* out);
