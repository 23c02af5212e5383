// The board editor: menus and questions that change `params` in place within what the
// catalog in `config` allows.
//
// Every operation here REQUIRES that the catalog is loaded and `params` holds the set to
// edit (loaded from "par" or started by init_params). Questions go to `ed_out`, answers
// come from `ed_in`, one line at a time into `buf`. When the input ends while a question
// waits, the question throws end_of_input; `params` then holds the answers given so far.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "libcfg/libcfg.h"

// The editor's streams.

struct end_of_input {};
extern std::FILE* ed_in;  // answers; standard input unless editor_io says otherwise
extern std::FILE*
    ed_out;  // questions and listings; standard output unless editor_io says otherwise
// Makes `in` and `out` the editor's streams.
void editor_io(std::FILE* in, std::FILE* out);

// Pieces shared by the editor's files.

// Reads one answer line into `buf` without its line end, after flushing `ed_out` so that
// the question is seen first. Characters beyond 255 are read and dropped up to the line
// end; a NUL byte ends the answer. Throws end_of_input when nothing is left to read.
void read_answer();
// Writes `question` and reads answers until one is not empty.
void ask(const char* question);
// A question or help text of at most 79 characters, formatted piece by piece; what does
// not fit is cut.
struct prompt_text {
  char s[80] = "";
  std::size_t len = 0;
  void add(const char* format, ...) __attribute__((format(printf, 2, 3)));
};
// The show flag of a row that is offered when `offered`, else hidden.
inline std::int32_t shown_if(bool offered) {
  return offered ? ROW_OFFERED : ROW_HIDDEN;
}

// Menus and answer prompts.

// Menus list at most this many rows, numbered 1 to 15.
constexpr int MAX_SHOWN = 15;
// The table indexes of the rows `menu` lists, in order, up to its end row; returns their count.
int listed_rows(const menu_item* menu, std::array<int, MAX_SHOWN>& rows);
// How pick_1_of_list reads an answer.
enum read_mode : int {
  READ_DECIMAL = 1,  // as atoi reads it
  READ_HEX = 2,      // with htol
};
// Lists the offered rows of `menu`, numbered from 1, and asks for one. Returns the table
// index of the row chosen, or -1 for an answer beginning with 'q' or 'Q'. Any other answer
// shows the menu again; an empty one asks again. At most 15 rows are listed.
int selection(menu_item* menu);
// Asks `question` until the answer's first letter, in lower case, is `a` or `b`, writing
// `help` after any other; returns that letter.
int pick_a_or_b(int a, int b, const char* question, const char* help);
// Asks `question` until the answer is a decimal number from `lowest` to `highest`, which
// it returns, writing `help` after any other. With `quit_ok`, an answer beginning with 'q'
// returns -1.
int pick_n_to_m(int quit_ok, int lowest, int highest, const char* question, const char* help);
// Asks `question` until the answer, read as `mode` says, equals a value of `list`; returns
// the index of the first such value. A list of fewer than two values returns 0 unasked.
int pick_1_of_list(int mode, const value_list* list, const char* question, const char* help);
// Has the user name one of the configured boards for the action `verb`: confirmed when
// there is one, by number when there are more. Returns the number from 1, or -1 when the
// user declines or quits, or after saying that there are no boards.
int which_board(const char* verb);

// Board value prompts; `board` is the index of the board in params.boards.

// Whether a question over `list` asks at all: only for two values or more.
inline bool list_asks(const value_list& list) {
  return list.count > 1;
}
// What a question that does not ask gives: 0 for an empty list, else its only value.
inline std::int32_t unasked(const value_list& list) {
  return list.count > 0 ? list.values[0] : 0;
}

// The I/O address of a new or changed board, out of the type's primary addresses (shown)
// and its extras (accepted too). 0 without asking when there is no primary one; the only
// primary one without asking.
std::uint16_t get_ioa(int board, const value_list* primary, const value_list* extras);
// The irq, out of the type's irqs; 0 or the only value without asking.
std::uint16_t get_irq(int board, const value_list* irqs);
// The dual-port size in Kbytes, out of the type's sizes; 0 or the only value without asking.
std::uint16_t get_mem_size(int board, const value_list* sizes);
// The dual-port address, typed in hexadecimal until it passes dp_addr_fault for the type
// and the size stored in params.boards[board]. An empty answer gives 0.
std::uint32_t get_dp_addr(int board, const btype_rec* type);
// Sets params.mode: asks when the catalog allows both modes, else takes config.modes.
void get_mode();

// Board list operations: the actions of the main menu.

extern std::array<menu_item, 7> main_menu;             // switch (2 rows), list, add, modify, delete
extern std::array<menu_item, 5> mod_menu;              // I/O address, memory address, size, irq
enum mod_row { MOD_IOA, MOD_DPA, MOD_SIZE, MOD_IRQ };  // the rows of mod_menu
// The types a new board can have, as add_board offers them, in its menu's order: the one
// it takes without asking when the catalog has a single class for the set, else those its
// class menu lists. Flags bclass_menu for the set's bus first, as add_board does. Returns
// their number.
int offered_types(std::array<int, MAX_SHOWN>& types);
// Whether mod_board finds nothing to modify: a polled set on the MC bus.
bool nothing_to_modify();
// Offers the rows of mod_menu that mod_board offers for a board of `type`.
void flag_mod_rows(const btype_rec& type);
// Removes board `number` (from 1); the boards after it move down.
void remove_board(int number);
// Offers the row that switches away from the current mode, when the catalog allows both
// modes; hides both mode rows otherwise.
void show_mode_rows();
// Adds a board after asking its type and values and a confirmation; at most four.
void add_board();
// Changes the values of one board through mod_menu until the user quits it.
void mod_board();
// Removes one board; the later boards move down.
void del_board();
// Writes the table of all boards to ed_out.
void list_params();
// Toggles the driver mode; switching to interrupt asks the irq of each board that has none.
void switch_mode();

// Changes from the command line (editpar -a, -d, -e, -M), each following the operation
// of the menus it stands for.

// The keys of a change: size= and irq= decimal, ioa= and dpa= hexadecimal as the questions
// read them, bus= (at or mc) for the first board of a new set.
enum script_key_id { KEY_SIZE, KEY_IRQ, KEY_IOA, KEY_DPA, KEY_BUS, KEY_COUNT };
struct script_key {
  int key;             // a script_key_id
  std::int32_t value;  // the number given
  const char* text;    // the word given, for bus=
};
struct script_change {
  char op;                                 // 'a' add, 'd' delete, 'e' modify, 'M' switch the mode
  const char* type;                        // -a: the type's name in the catalog
  int board;                               // -d, -e: the board's number, from 1
  int mode;                                // -M: MODE_INTERRUPT or MODE_POLL
  std::array<script_key, KEY_COUNT> keys;  // in the order given; none twice
  int nkeys;
};
constexpr int MAX_CHANGES = 64;  // changes in one call
struct script {
  std::array<script_change, MAX_CHANGES> changes;
  int nchanges;
};

// Reads the changes of a command line (argv[1] on: "-a TYPE key=VALUE ...", "-d N",
// "-e N key=VALUE ...", "-M interrupt|polling", a word beginning with "-" starting each).
// False, with `why` saying what is wrong, for a call that is not well formed: an unknown
// change or key, a key given twice, a value that is not a number of its kind. The script
// keeps pointers into argv.
bool parse_script(int argc, char** argv, script& s, std::string& why);
// Starts a fresh set for a script whose "par" does not exist, as editpar with no argument
// would: init_params, with the first change's bus= as the bus argument.
void start_script_set(const script& s);
// Sets params.mode as get_mode would, taking interrupt where get_mode would ask.
void set_mode_unasked();
// Applies the changes to params in order, each as its menu operation would with the call's
// values as the answers, then the rules of quitting (check_params). False, with `why`
// naming the rule broken and what it allows, at the first change or rule refused; params
// is then not to be saved. `fresh`: the set was started by start_script_set.
// REQUIRES: the catalog is loaded and params holds the set, its mode set.
bool apply_script(const script& s, bool fresh, std::string& why);

// Editor loop.

// Runs the main menu until the user quits with a set that passes check_params; returns 1.
int edit_params();
// Returns 1 when params passes the interrupt-sharing rules, else 0 after writing the
// first rule broken to ed_out.
int check_params();
