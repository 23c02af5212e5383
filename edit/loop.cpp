// The editor's start, its main loop and the interrupt-sharing check that guards its end.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "edit/editor.h"
#include "model/records.h"
#include "model/rules.h"

namespace kdz {

namespace {

constexpr std::array<menu_item, 7> main_rows = {{
    {ROW_HIDDEN, "Switch to interrupt driven operation.", switch_mode},
    {ROW_HIDDEN, "Switch to polled operation.", switch_mode},
    {ROW_OFFERED, "List parameters for all boards", list_params},
    {ROW_OFFERED, "Add board", add_board},
    {ROW_OFFERED, "Modify board", mod_board},
    {ROW_OFFERED, "Delete board", del_board},
    {ROW_END, null, nullptr},
}};

// Placeholder labels of the value rows; mod_board points each at its filled-in text.
constexpr std::array<menu_item, MOD_VALUES + 1> mod_rows = {{
    {ROW_OFFERED, "io address:      ioa", nullptr},
    {ROW_OFFERED, "mem address:  0d0000", nullptr},
    {ROW_OFFERED, "dual port size:   xx", nullptr},
    {ROW_OFFERED, "IRQ:              xx", nullptr},
    {ROW_END, null, nullptr},
}};

// The boards numbered in `numbers` (from 1, at least one): "board 2", "boards 1 and 3",
// "boards 1, 2 and 4".
std::string boards_text(const std::vector<int>& numbers) {
  const std::size_t n = numbers.size();
  std::string text = n == 1 ? "board " : "boards ";
  for (std::size_t i = 0; i < n; ++i) {
    const char* before = i == 0 ? "" : i + 1 == n ? " and " : ", ";
    fmt::format_to(std::back_inserter(text), "{}{}", before, numbers[i]);
  }
  return text;
}

// Every irq of the set in ascending order with its boards: "irq 5: boards 1 and 3; irq 7:
// board 2".
std::string irqs_text(const params_rec& set) {
  std::map<int, std::vector<int>> boards_by_irq;
  const int n = std::min<int>(set.nboards, MAX_BOARDS);
  for (int i = 0; i < n; ++i) boards_by_irq[set.boards[i].irq].push_back(i + 1);
  std::string text;
  for (const auto& [irq, numbers] : boards_by_irq) {
    fmt::format_to(std::back_inserter(text), "{}irq {}: {}", text.empty() ? "" : "; ", irq,
                   boards_text(numbers));
  }
  return text;
}

// The pair of boards that breaks the EISA rule, the EISA board first: "irq 5: board 2 is
// EISA, board 3 is not".
std::string eisa_text(const catalog& cat, const params_rec& set, const int pair[2]) {
  const bool first_is_eisa = cat.config.types[set.boards[pair[0]].type].t_code == EISA_T_CODE;
  const int eisa = first_is_eisa ? pair[0] : pair[1];
  const int other = first_is_eisa ? pair[1] : pair[0];
  return fmt::format("irq {}: board {} is EISA, board {} is not", set.boards[eisa].irq, eisa + 1,
                     other + 1);
}

}  // namespace

editor::editor(const catalog& cat, board_set& set, std::FILE* in, std::FILE* out)
    : cat(cat),
      set(set),
      in(in),
      out(out),
      answer(),
      main_menu(main_rows),
      mod_menu(mod_rows),
      mod_labels(),
      class_menu(),
      nclasses(cat.config.nclasses) {
  for (int i = 0; i < TYPE_ROWS; ++i) {
    class_menu[i] = {cat.class_rows[i], cat.config.types[i].class_, nullptr};
  }
}

int edit_params(editor& ed) {
  show_mode_rows(ed);
  for (;;) {
    const int row = selection(ed, ed.main_menu.data());
    if (row < 0) {
      if (check_params(ed)) return 1;
    } else {
      ed.main_menu[row].action(ed);
    }
  }
}

int check_params(editor& ed) {
  const params_rec& set = ed.set.params;
  int pair[2] = {-1, -1};
  switch (irq_rule_broken(ed.cat, &set, pair)) {
    case IRQ_OK:
      return 1;
    case IRQ_EISA_SHARED:
      std::fputs("\nEISA and ISA boards cannot share IRQ's.\n", ed.out);
      note(ed, "{}", eisa_text(ed.cat, set, pair));
      return 0;
    case IRQ_MIXED:
      std::fputs("\nIRQ's must be all the same or all different.\n", ed.out);
      note(ed, "{}", irqs_text(set));
      return 0;
  }
  return 0;
}

}  // namespace kdz
