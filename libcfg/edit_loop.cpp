// The editor's start, its main loop and the interrupt-sharing check that guards its end.
#include "libcfg/editor.h"

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
  switch (irq_rule_broken(ed.cat, &ed.set.params)) {
    case IRQ_OK:
      return 1;
    case IRQ_EISA_SHARED:
      std::fputs("\nEISA and ISA boards cannot share IRQ's.\n", ed.out);
      return 0;
    case IRQ_MIXED:
      std::fputs("\nIRQ's must be all the same or all different.\n", ed.out);
      return 0;
  }
  return 0;
}
