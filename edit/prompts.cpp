// The editor's five ways of asking: a menu row, a letter, a number, a list value, a board.
#include <cctype>

#include "base/lines.h"
#include "edit/editor.h"
#include "model/records.h"
#include "model/rules.h"

namespace kdz {

namespace {

int lower_first(const editor& ed) {
  return std::tolower(static_cast<unsigned char>(ed.answer[0]));
}

}  // namespace

int listed_rows(const menu_item* menu, std::array<int, MAX_SHOWN>& rows) {
  int shown = 0;
  for (int i = 0; menu[i].show != ROW_END && shown < MAX_SHOWN; ++i) {
    if (menu[i].show == ROW_OFFERED) rows[shown++] = i;
  }
  return shown;
}

int selection(editor& ed, const menu_item* menu) {
  for (;;) {
    std::array<int, MAX_SHOWN> rows{};
    const int shown = listed_rows(menu, rows);
    std::fputs("\n", ed.out);
    for (int n = 0; n < shown; ++n) {
      const char* label = menu[rows[n]].label;
      put(ed.out, "\t{}) {}\n", n + 1, label ? label : null);
    }
    std::fputs("\n", ed.out);
    prompt_text question;
    question.add("Selection (1-{}, q to quit): ", shown);
    ask(ed, question.s);
    if (ed.answer[0] == 'q' || ed.answer[0] == 'Q') return -1;
    // The row number is the answer's first character.
    const int n = ed.answer[0] - '0';
    if (n >= 1 && n <= shown) {
      note_number(ed, 10, n);
      return rows[n - 1];
    }
  }
}

int pick_a_or_b(editor& ed, int a, int b, const char* question, const char* help) {
  for (;;) {
    ask(ed, question);
    const int c = lower_first(ed);
    if (c == a) return a;
    if (c == b) return b;
    put(ed.out, "{}\n", help);
  }
}

int pick_n_to_m(editor& ed, int quit_ok, int lowest, int highest, const char* question,
                const char* help) {
  for (;;) {
    ask(ed, question);
    if (lower_first(ed) == 'q') {
      if (quit_ok) return -1;
    } else {
      const int n = read_decimal(ed.answer);
      if (n >= lowest && n <= highest) {
        note_number(ed, 10, n);
        return n;
      }
    }
    put(ed.out, "{}\n", help);
  }
}

int pick_1_of_list(editor& ed, int mode, const value_list* list, const char* question,
                   const char* help) {
  if (list->count <= 1) return 0;
  for (;;) {
    ask(ed, question);
    const bool hex = mode == READ_HEX;
    const std::int32_t value =
        hex ? static_cast<std::int32_t>(htol(ed.answer)) : read_decimal(ed.answer);
    const int i = list_index(list, value);
    if (i >= 0) {
      // A hexadecimal list holds the bit pattern of an unsigned value.
      note_number(ed, hex ? 16 : 10, hex ? std::int64_t{static_cast<std::uint32_t>(value)} : value);
      return i;
    }
    put(ed.out, "{}\n", help);
  }
}

int which_board(editor& ed, const char* verb) {
  const int n = ed.set.params.nboards;
  if (n <= 0) {
    put(ed.out, "There are no boards configured to {}\n", verb);
    return -1;
  }
  prompt_text question, help;
  if (n == 1) {
    std::fputs("There is only one board configured\n", ed.out);
    question.add("Do you wish to {} it? (y or n) ", verb);
    help.add("Enter y to {} this board, n to try again.", verb);
    return pick_a_or_b(ed, 'y', 'n', question.s, help.s) == 'y' ? 1 : -1;
  }
  put(ed.out, "There are {} boards configured.\n", n);
  question.add("Which board do you wish to {} (1-{}, q to quit) ", verb, n);
  help.add("Enter 1-{} to select a board to {} or q to quit.", n, verb);
  return pick_n_to_m(ed, 1, 1, n, question.s, help.s);
}

}  // namespace kdz
