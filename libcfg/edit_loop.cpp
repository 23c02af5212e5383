// The editor's main loop and the interrupt-sharing check that guards its end.
#include "libcfg/editor.h"

int edit_params() {
  show_mode_rows();
  for (;;) {
    const int row = selection(main_menu.data());
    if (row < 0) {
      if (check_params()) return 1;
    } else {
      main_menu[row].action();
    }
  }
}

int check_params() {
  switch (irq_rule_broken(&params)) {
    case IRQ_OK:
      return 1;
    case IRQ_EISA_SHARED:
      std::fputs("\nEISA and ISA boards cannot share IRQ's.\n", ed_out);
      return 0;
    case IRQ_MIXED:
      std::fputs("\nIRQ's must be all the same or all different.\n", ed_out);
      return 0;
  }
  return 0;
}
