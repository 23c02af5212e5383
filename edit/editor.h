// edit, the layer above check: the board editor. Menus and questions, or the changes of a
// script call, change a parameter set in place within what a catalog allows, by the model's
// rules, with the check's notes; a session's save writes "par" and the "Init" and "dces"
// that follow its boards.
//
// editor.h: the editor and its menus and questions.
//
// Every operation takes the editor first: the catalog it reads, the set it changes, its
// menus, its answer buffer and its two streams. Questions go to `out`, answers come from
// `in`, one line at a time into `answer`. When the input ends while a question waits, the
// question throws end_of_input; the set then holds the answers given so far.
#pragma once

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>

#include "base/files.h"
#include "base/lines.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"

namespace kdz {

struct editor;

// A row of a menu; `show` is one of the ROW_ flags.
struct menu_item {
  std::int32_t show;
  const char* label;
  void (*action)(editor&);
};

// Menus list at most this many rows, numbered 1 to 15.
constexpr int MAX_SHOWN = 15;

enum mod_row { MOD_IOA, MOD_DPA, MOD_SIZE, MOD_IRQ };  // the value rows of the modify menu
constexpr int MOD_VALUES = 4;
constexpr int MOD_LABEL = 40;  // room for a value row's label and its value

// One editing session over one set. Its menu rows point into it and into the catalog,
// so it is never copied; the catalog and the set outlive it.
struct editor {
  // Starts with the menus as the program shows them first: the class menu as the catalog
  // was read, both mode rows hidden (show_mode_rows decides).
  editor(const catalog& cat, board_set& set, std::FILE* in, std::FILE* out);
  editor(const editor&) = delete;
  editor& operator=(const editor&) = delete;

  const catalog& cat;
  board_set& set;
  std::FILE* in;   // answers
  std::FILE* out;  // questions and listings
  char answer[BUF_SIZE];
  std::array<menu_item, 7> main_menu;              // switch (2 rows), list, add, modify, delete
  std::array<menu_item, MOD_VALUES + 1> mod_menu;  // I/O address, memory address, size, irq
  char mod_labels[MOD_VALUES][MOD_LABEL];          // the value rows' labels with the board's values
  // One row per type, its label the type's class; once a bus is set, only the classes on
  // that bus are offered, and `nclasses` counts them (the catalog's count while it is unset).
  std::array<menu_item, TYPE_ROWS> class_menu;
  int nclasses;
};

struct end_of_input {};

// Writes the formatted text to `f` with write_text: a failed write is left to the
// stream's error flag, for flush_stdout to return.
template <typename... T>
void put(std::FILE* f, fmt::format_string<T...> format, T&&... args) {
  fmt::memory_buffer text;
  fmt::format_to(std::back_inserter(text), format, std::forward<T>(args)...);
  write_text(f, {text.data(), text.size()});
}

// Pieces shared by the editor's files.

// Reads one answer line into ed.answer without its line end, after flushing ed.out so that
// the question is seen first. Characters beyond 255 are read and dropped up to the line
// end; a NUL byte ends the answer. Throws end_of_input when nothing is left to read.
void read_answer(editor& ed);
// Writes `question` and reads answers until one is not empty.
void ask(editor& ed, const char* question);
// Writes a note on ed.out: "note: ", the formatted text and a newline. The dialogue's notes
// say at once what is wrong with an answer or a board; script calls write none.
template <typename... T>
void note(editor& ed, fmt::format_string<T...> format, T&&... args) {
  put(ed.out, "note: {}\n", fmt::format(format, std::forward<T>(args)...));
}
// After a number answer that a question accepts as `value`, read in `base` (10 or 16): a
// note when ed.answer is not wholly digits of that base that make `value`, such as "xyz",
// "300x", "0x300", or a number too big for the field that holds it. An empty answer, taken
// as 0, gets none.
void note_number(editor& ed, int base, std::int64_t value);
// A question or help text of at most 79 characters, formatted piece by piece; what does
// not fit is cut.
struct prompt_text {
  char s[80] = "";
  std::size_t len = 0;
  template <typename... T>
  void add(fmt::format_string<T...> format, T&&... args) {
    const std::size_t room = sizeof s - 1 - len;
    const auto end = fmt::format_to_n(s + len, room, format, std::forward<T>(args)...);
    len += std::min(end.size, room);
    s[len] = '\0';
  }
};
// The show flag of a row that is offered when `offered`, else hidden.
inline std::int32_t shown_if(bool offered) {
  return offered ? ROW_OFFERED : ROW_HIDDEN;
}

// Menus and answer prompts.

// The table indexes of the rows `menu` lists, in order, up to its end row; returns their count.
int listed_rows(const menu_item* menu, std::array<int, MAX_SHOWN>& rows);
// How pick_1_of_list reads an answer.
enum read_mode : int {
  READ_DECIMAL = 1,  // as atoi reads it
  READ_HEX = 2,      // with htol
};
// Lists the offered rows of `menu`, numbered from 1, and asks for one. Returns the table
// index of the row chosen, or -1 for an answer beginning with 'q' or 'Q'. Any other answer
// shows the menu again; an empty one asks again. At most 15 rows are listed. The row is
// read from the answer's first character; a longer answer gets a note (note_number).
int selection(editor& ed, const menu_item* menu);
// Asks `question` until the answer's first letter, in lower case, is `a` or `b`, writing
// `help` after any other; returns that letter.
int pick_a_or_b(editor& ed, int a, int b, const char* question, const char* help);
// Asks `question` until the answer is a decimal number from `lowest` to `highest`, which
// it returns, writing `help` after any other. With `quit_ok`, an answer beginning with 'q'
// returns -1. The answer accepted gets note_number's note.
int pick_n_to_m(editor& ed, int quit_ok, int lowest, int highest, const char* question,
                const char* help);
// Asks `question` until the answer, read as `mode` says, equals a value of `list`; returns
// the index of the first such value. A list of fewer than two values returns 0 unasked.
// The answer accepted gets note_number's note.
int pick_1_of_list(editor& ed, int mode, const value_list* list, const char* question,
                   const char* help);
// Has the user name one of the configured boards for the action `verb`: confirmed when
// there is one, by number when there are more. Returns the number from 1, or -1 when the
// user declines or quits, or after saying that there are no boards.
int which_board(editor& ed, const char* verb);

// Board value prompts; `board` is the index of the board in the set's boards.

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
std::uint16_t get_ioa(editor& ed, int board, const value_list* primary, const value_list* extras);
// The irq, out of the type's irqs; 0 or the only value without asking.
std::uint16_t get_irq(editor& ed, int board, const value_list* irqs);
// The dual-port size in Kbytes, out of the type's sizes; 0 or the only value without asking.
std::uint16_t get_mem_size(editor& ed, int board, const value_list* sizes);
// The dual-port address, typed in hexadecimal until it passes dp_addr_fault for the type
// and the size stored in the set's board `board`. An empty answer gives 0. The answer
// accepted gets note_number's note.
std::uint32_t get_dp_addr(editor& ed, int board, const btype_rec* type);
// Sets the set's mode: asks when the catalog allows both modes, else takes its modes.
void get_mode(editor& ed);

// Board list operations: the actions of the main menu.

// The types a new board can have, as add_board offers them, in its menu's order: the one
// it takes without asking when the catalog has a single class for the set, else those its
// class menu lists. Flags the class menu for the set's bus first, as add_board does; while
// the bus is unset, the class menu and its count are the catalog's again. Returns their
// number.
int offered_types(editor& ed, std::array<int, MAX_SHOWN>& types);
// Whether mod_board finds nothing to modify: a polled set on the MC bus.
bool nothing_to_modify(const params_rec& set);
// Offers the rows of the modify menu that mod_board offers for a board of `type`.
void flag_mod_rows(editor& ed, const btype_rec& type);
// Removes board `number` (from 1); the boards after it move down, and set.moves records
// it. Removing the last board unsets the bus (unset_empty_bus).
void remove_board(board_set& set, int number);
// Unsets the bus of a set without boards, so that the type of its first board chooses the
// bus again. The editor does so with a set it reads and with one whose last board goes; a
// fresh set keeps the bus its command line names.
void unset_empty_bus(params_rec& set);
// Offers the row that switches away from the current mode, when the catalog allows both
// modes; hides both mode rows otherwise.
void show_mode_rows(editor& ed);
// Writes a note for each finding of the check's parameter rules about board `board` (from
// 0): those that stand with it and those that name it as the other board. Only the rules
// that need nothing but the catalog and the set count (no old "dces").
void note_findings(editor& ed, int board);
// Adds a board after asking its type and values and a confirmation; at most four. The
// board added gets its notes (note_findings).
void add_board(editor& ed);
// Changes the values of one board through the modify menu until the user quits it; each
// change is followed by the board's notes (note_findings).
void mod_board(editor& ed);
// Removes one board; the later boards move down.
void del_board(editor& ed);
// Writes the table of all boards to ed.out.
void list_params(editor& ed);
// Toggles the driver mode; switching to interrupt asks the irq of each board that has none.
void switch_mode(editor& ed);

// Editor loop.

// Runs the main menu until the user quits with a set that passes check_params; returns 1.
int edit_params(editor& ed);
// Returns 1 when the set passes the interrupt-sharing rules, else 0 after writing the
// first rule broken to ed.out and a note on the boards that break it: for the EISA rule the
// first pair, for the other every irq with its boards.
int check_params(editor& ed);

}  // namespace kdz
