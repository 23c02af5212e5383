// The actions of the main menu: add, modify, delete and list boards, switch the mode.
#include <algorithm>
#include <cstring>

#include "libcfg/editor.h"

std::array<menu_item, 7> main_menu = {{
    {ROW_HIDDEN, "Switch to interrupt driven operation.", switch_mode},
    {ROW_HIDDEN, "Switch to polled operation.", switch_mode},
    {ROW_OFFERED, "List parameters for all boards", list_params},
    {ROW_OFFERED, "Add board", add_board},
    {ROW_OFFERED, "Modify board", mod_board},
    {ROW_OFFERED, "Delete board", del_board},
    {ROW_END, null, nullptr},
}};

// Placeholder labels of the value rows; mod_board points each at its filled-in text.
std::array<menu_item, 5> mod_menu = {{
    {ROW_OFFERED, "io address:      ioa", nullptr},
    {ROW_OFFERED, "mem address:  0d0000", nullptr},
    {ROW_OFFERED, "dual port size:   xx", nullptr},
    {ROW_OFFERED, "IRQ:              xx", nullptr},
    {ROW_END, null, nullptr},
}};

namespace {

enum main_row { ROW_TO_INTERRUPT, ROW_TO_POLL };

// The fixed text of a value row followed by the board's value.
char mod_labels[4][40];

void fill_mod_labels(const board_rec& b) {
  const std::size_t n = sizeof mod_labels[0];
  std::snprintf(mod_labels[MOD_IOA], n, "io address:      %3x", b.ioa);
  std::snprintf(mod_labels[MOD_DPA], n, "mem address:  %6lx", static_cast<unsigned long>(b.dpa));
  std::snprintf(mod_labels[MOD_SIZE], n, "dual port size:   %2d", b.size);
  std::snprintf(mod_labels[MOD_IRQ], n, "IRQ:              %2d", b.irq);
  for (int row = MOD_IOA; row <= MOD_IRQ; ++row) mod_menu[row].label = mod_labels[row];
}

// Once a bus is set, only the classes of types on that bus are offered.
void flag_classes_on_bus() {
  config.nclasses = 0;
  for (int i = 0; i < config.ntypes && i < MAX_TYPES; ++i) {
    const bool offered = class_on_bus(&config.types[i], params.bus);
    bclass_menu[i].show = shown_if(offered);
    if (offered) ++config.nclasses;
  }
}

// The type of a new board, or -1 when none is chosen.
int choose_type() {
  std::array<int, MAX_SHOWN> types{};
  const int n = offered_types(types);
  if (config.nclasses == 1) return n > 0 ? types[0] : -1;
  std::fputs("What board type is this board?\n", ed_out);
  return selection(bclass_menu.data());
}

void print_summary(int n, const btype_rec& type, const board_rec& b) {
  if (params.mode != MODE_POLL) std::fprintf(ed_out, "\nParameters for board %d are -\n", n + 1);
  if (b.ioa != 0) std::fprintf(ed_out, "\tio address:      %3x\n", b.ioa);
  std::fprintf(ed_out, "\tmem address:  %6lx\n", static_cast<unsigned long>(b.dpa));
  if (type.sizes.count > 1) std::fprintf(ed_out, "\tdual port size:   %2d\n", b.size);
  if (params.mode == MODE_INTERRUPT) std::fprintf(ed_out, "\tIRQ:              %2d\n", b.irq);
}

}  // namespace

void add_board() {
  if (too_many_boards(params.nboards + 1)) {
    std::fprintf(ed_out, "Cannot configure more than %d boards\n", EDIT_MAX_BOARDS);
    return;
  }
  const std::uint8_t old_bus = params.bus;
  const int n = params.nboards;
  std::fprintf(ed_out, "Adding board %d...\n", n + 1);
  const int t = choose_type();
  if (t < 0) return;
  const btype_rec& type = config.types[t];
  board_rec& b = params.boards[n];
  params.bus = static_cast<std::uint8_t>(type.bus);
  b.type = static_cast<std::uint16_t>(t);
  b.ioa = get_ioa(n, &type.ioas_primary, &type.ioas_extras);
  b.size = get_mem_size(n, &type.sizes);
  if (const std::uint16_t forced = forced_size(params.bus, b.ioa)) b.size = forced;
  b.dpa = get_dp_addr(n, &type);
  b.irq = params.mode == MODE_INTERRUPT ? get_irq(n, &type.irqs) : 0;
  print_summary(n, type, b);
  prompt_text question;
  question.add("\nOk to add board %d (y or n): ", n + 1);
  if (pick_a_or_b('y', 'n', question.s, "Enter y to add this board, n to try again.") == 'y') {
    ++params.nboards;
  } else {
    params.bus = old_bus;  // the filled-in entry lies beyond nboards and counts for nothing
  }
}

int offered_types(std::array<int, MAX_SHOWN>& types) {
  if (params.bus != 0) flag_classes_on_bus();
  if (config.nclasses != 1) return listed_rows(bclass_menu.data(), types);
  for (int i = 0; i < config.ntypes && i < MAX_TYPES; ++i) {
    if (bclass_menu[i].show != ROW_OFFERED) continue;
    types[0] = i;
    return 1;
  }
  return 0;
}

bool nothing_to_modify() {
  return params.bus == BUS_MC && params.mode == MODE_POLL;
}

void flag_mod_rows(const btype_rec& type) {
  mod_menu[MOD_IOA].show = shown_if(type.t_code != EISA_T_CODE);
  mod_menu[MOD_DPA].show = ROW_OFFERED;
  mod_menu[MOD_SIZE].show = shown_if(type.sizes.count > 1);
  mod_menu[MOD_IRQ].show = shown_if(params.mode == MODE_INTERRUPT);
}

void remove_board(int number) {
  for (int i = number; i < params.nboards; ++i) params.boards[i - 1] = params.boards[i];
  --params.nboards;
}

void mod_board() {
  if (nothing_to_modify()) {
    std::fputs("There are no parameters to modify\n", ed_out);
    return;
  }
  const int number = which_board("modify");
  if (number < 1) return;  // quit, or no boards
  const int n = number - 1;
  board_rec& b = params.boards[n];
  const btype_rec& type = config.types[b.type];
  fill_mod_labels(b);
  flag_mod_rows(type);
  for (;;) {
    switch (selection(mod_menu.data())) {
      case MOD_IOA:
        b.ioa = get_ioa(n, &type.ioas_primary, &type.ioas_extras);
        break;
      case MOD_DPA:
        b.dpa = get_dp_addr(n, &type);
        break;
      case MOD_SIZE:
        b.size = get_mem_size(n, &type.sizes);
        break;
      case MOD_IRQ:
        b.irq = get_irq(n, &type.irqs);
        break;
      default:
        return;
    }
    fill_mod_labels(b);
  }
}

void del_board() {
  const int number = which_board("delete");
  if (number < 1) return;  // quit, or no boards
  remove_board(number);
}

void list_params() {
  const int n = params.nboards;
  if (n <= 0) {
    std::fputs("There are no boards configured to list\n", ed_out);
    return;
  }
  if (n == 1) {
    std::fputs("There is one board configured.\n\n", ed_out);
  } else {
    std::fprintf(ed_out, "There are %d boards configured.\n\n", n);
  }
  int w = 0;
  for (int i = 0; i < n; ++i) {
    w = std::max(w, static_cast<int>(std::strlen(config.types[params.boards[i].type].class_)));
  }
  std::fprintf(ed_out, "Board Type%*s IRQ  I/O   DPaddr  DPsize\n", w > 4 ? w - 4 : 0, "");
  for (int i = 0; i < n; ++i) {
    const board_rec& b = params.boards[i];
    const char* label = config.types[b.type].class_;
    std::fprintf(ed_out, "%3d)  %-*s %2d   %3x   %6lx    %2d\n", i + 1, w, label, b.irq, b.ioa,
                 static_cast<unsigned long>(b.dpa), b.size);
  }
  std::fputs("\n", ed_out);
}

void show_mode_rows() {
  const bool both = mode_can_change(config.modes);
  main_menu[ROW_TO_INTERRUPT].show = shown_if(both && params.mode != MODE_INTERRUPT);
  main_menu[ROW_TO_POLL].show = shown_if(both && params.mode == MODE_INTERRUPT);
}

void switch_mode() {
  if (params.mode == MODE_INTERRUPT) {
    params.mode = MODE_POLL;
    show_mode_rows();
    return;
  }
  params.mode = MODE_INTERRUPT;
  show_mode_rows();
  for (int i = 0; i < params.nboards; ++i) {
    board_rec& b = params.boards[i];
    if (b.irq == 0) b.irq = get_irq(i, &config.types[b.type].irqs);
  }
}
