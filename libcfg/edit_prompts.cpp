// The editor's five ways of asking: a menu row, a letter, a number, a list value, a board.
#include <cctype>

#include "libcfg/editor.h"

namespace {

int lower_first() {
  return std::tolower(static_cast<unsigned char>(buf[0]));
}

}  // namespace

int listed_rows(const menu_item* menu, std::array<int, MAX_SHOWN>& rows) {
  int shown = 0;
  for (int i = 0; menu[i].show != ROW_END && shown < MAX_SHOWN; ++i) {
    if (menu[i].show == ROW_OFFERED) rows[shown++] = i;
  }
  return shown;
}

int selection(menu_item* menu) {
  for (;;) {
    std::array<int, MAX_SHOWN> rows{};
    const int shown = listed_rows(menu, rows);
    std::fputs("\n", ed_out);
    for (int n = 0; n < shown; ++n) {
      const char* label = menu[rows[n]].label;
      std::fprintf(ed_out, "\t%d) %s\n", n + 1, label ? label : null);
    }
    std::fputs("\n", ed_out);
    prompt_text question;
    question.add("Selection (1-%d, q to quit): ", shown);
    ask(question.s);
    if (buf[0] == 'q' || buf[0] == 'Q') return -1;
    const int n = buf[0] - '0';
    if (n >= 1 && n <= shown) return rows[n - 1];
  }
}

int pick_a_or_b(int a, int b, const char* question, const char* help) {
  for (;;) {
    ask(question);
    const int c = lower_first();
    if (c == a) return a;
    if (c == b) return b;
    std::fprintf(ed_out, "%s\n", help);
  }
}

int pick_n_to_m(int quit_ok, int lowest, int highest, const char* question, const char* help) {
  for (;;) {
    ask(question);
    if (lower_first() == 'q') {
      if (quit_ok) return -1;
    } else {
      const int n = read_decimal(buf);
      if (n >= lowest && n <= highest) return n;
    }
    std::fprintf(ed_out, "%s\n", help);
  }
}

int pick_1_of_list(int mode, const value_list* list, const char* question, const char* help) {
  if (list->count <= 1) return 0;
  for (;;) {
    ask(question);
    const std::int32_t value =
        mode == READ_HEX ? static_cast<std::int32_t>(htol(buf)) : read_decimal(buf);
    const int i = list_index(list, value);
    if (i >= 0) return i;
    std::fprintf(ed_out, "%s\n", help);
  }
}

int which_board(const char* verb) {
  const int n = params.nboards;
  if (n <= 0) {
    std::fprintf(ed_out, "There are no boards configured to %s\n", verb);
    return -1;
  }
  prompt_text question, help;
  if (n == 1) {
    std::fputs("There is only one board configured\n", ed_out);
    question.add("Do you wish to %s it? (y or n) ", verb);
    help.add("Enter y to %s this board, n to try again.", verb);
    return pick_a_or_b('y', 'n', question.s, help.s) == 'y' ? 1 : -1;
  }
  std::fprintf(ed_out, "There are %d boards configured.\n", n);
  question.add("Which board do you wish to %s (1-%d, q to quit) ", verb, n);
  help.add("Enter 1-%d to select a board to %s or q to quit.", n, verb);
  return pick_n_to_m(1, 1, n, question.s, help.s);
}
