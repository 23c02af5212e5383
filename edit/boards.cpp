// The actions of the main menu: add, modify, delete and list boards, switch the mode.
#include <algorithm>
#include <cstring>

#include "check/check.h"
#include "edit/editor.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"
#include "model/rules.h"

namespace kdz {

namespace {

enum main_row { ROW_TO_INTERRUPT, ROW_TO_POLL };

// Points each value row of the modify menu at its fixed text followed by the board's value.
void fill_mod_labels(editor& ed, const board_rec& b) {
  auto& text = ed.mod_labels;
  const auto fill = [&](int row, const auto& label) {
    const std::size_t n = std::min<std::size_t>(label.size, MOD_LABEL - 1);
    text[row][n] = '\0';
    ed.mod_menu[row].label = text[row];
  };
  fill(MOD_IOA, fmt::format_to_n(text[MOD_IOA], MOD_LABEL - 1, "io address:      {:>3x}", b.ioa));
  fill(MOD_DPA, fmt::format_to_n(text[MOD_DPA], MOD_LABEL - 1, "mem address:  {:>6x}", b.dpa));
  fill(MOD_SIZE,
       fmt::format_to_n(text[MOD_SIZE], MOD_LABEL - 1, "dual port size:   {:>2}", b.size));
  fill(MOD_IRQ, fmt::format_to_n(text[MOD_IRQ], MOD_LABEL - 1, "IRQ:              {:>2}", b.irq));
}

// Once a bus is set, only the classes of types on that bus are offered; while it is unset
// (again, after the last board went), every class the catalog flags.
void flag_classes_on_bus(editor& ed) {
  const config_rec& config = ed.cat.config;
  const int bus = ed.set.params.bus;
  if (bus == 0) {
    for (int i = 0; i < TYPE_ROWS; ++i) ed.class_menu[i].show = ed.cat.class_rows[i];
    ed.nclasses = config.nclasses;
    return;
  }
  ed.nclasses = 0;
  for (int i = 0; i < config.ntypes && i < MAX_TYPES; ++i) {
    const bool offered = class_on_bus(&config.types[i], bus);
    ed.class_menu[i].show = shown_if(offered);
    if (offered) ++ed.nclasses;
  }
}

// The type of a new board, or -1 when none is chosen.
int choose_type(editor& ed) {
  std::array<int, MAX_SHOWN> types{};
  const int n = offered_types(ed, types);
  if (ed.nclasses == 1) return n > 0 ? types[0] : -1;
  std::fputs("What board type is this board?\n", ed.out);
  return selection(ed, ed.class_menu.data());
}

void print_summary(editor& ed, int n, const btype_rec& type, const board_rec& b) {
  const int mode = ed.set.params.mode;
  if (mode != MODE_POLL) put(ed.out, "\nParameters for board {} are -\n", n + 1);
  if (b.ioa != 0) put(ed.out, "\tio address:      {:>3x}\n", b.ioa);
  put(ed.out, "\tmem address:  {:>6x}\n", b.dpa);
  if (type.sizes.count > 1) put(ed.out, "\tdual port size:   {:>2}\n", b.size);
  if (mode == MODE_INTERRUPT) put(ed.out, "\tIRQ:              {:>2}\n", b.irq);
}

// Asks the values of board `n` of type `t` into its entry, which lies beyond nboards until
// the user confirms it. The set takes the type's bus meanwhile, as the questions need it.
void ask_new_board(editor& ed, int n, int t) {
  params_rec& set = ed.set.params;
  const btype_rec& type = ed.cat.config.types[t];
  board_rec& b = set.boards[n];
  set.bus = static_cast<std::uint8_t>(type.bus);
  b.type = static_cast<std::uint16_t>(t);
  b.ioa = get_ioa(ed, n, &type.ioas_primary, &type.ioas_extras);
  b.size = get_mem_size(ed, n, &type.sizes);
  if (const std::uint16_t forced = forced_size(set.bus, b.ioa)) b.size = forced;
  b.dpa = get_dp_addr(ed, n, &type);
  b.irq = set.mode == MODE_INTERRUPT ? get_irq(ed, n, &type.irqs) : 0;
  print_summary(ed, n, type, b);
}

}  // namespace

void add_board(editor& ed) {
  params_rec& set = ed.set.params;
  if (too_many_boards(set.nboards + 1)) {
    put(ed.out, "Cannot configure more than {} boards\n", EDIT_MAX_BOARDS);
    return;
  }
  const std::uint8_t old_bus = set.bus;
  const int n = set.nboards;
  put(ed.out, "Adding board {}...\n", n + 1);
  const int t = choose_type(ed);
  if (t < 0) return;
  ask_new_board(ed, n, t);
  prompt_text question;
  question.add("\nOk to add board {} (y or n): ", n + 1);
  if (pick_a_or_b(ed, 'y', 'n', question.s, "Enter y to add this board, n to try again.") == 'y') {
    ++set.nboards;
    note_findings(ed, n);
  } else {
    set.bus = old_bus;  // the filled-in entry lies beyond nboards and counts for nothing
  }
}

int offered_types(editor& ed, std::array<int, MAX_SHOWN>& types) {
  flag_classes_on_bus(ed);
  if (ed.nclasses != 1) return listed_rows(ed.class_menu.data(), types);
  for (int i = 0; i < ed.cat.config.ntypes && i < MAX_TYPES; ++i) {
    if (ed.class_menu[i].show != ROW_OFFERED) continue;
    types[0] = i;
    return 1;
  }
  return 0;
}

void note_findings(editor& ed, int board) {
  for (const finding& f : parameter_findings(ed.cat, ed.set, port_state{})) {
    if (f.board == board || f.other == board) note(ed, "board {}: {}", f.board + 1, f.text);
  }
}

bool nothing_to_modify(const params_rec& set) {
  return set.bus == BUS_MC && set.mode == MODE_POLL;
}

void flag_mod_rows(editor& ed, const btype_rec& type) {
  auto& rows = ed.mod_menu;
  rows[MOD_IOA].show = shown_if(type.t_code != EISA_T_CODE);
  rows[MOD_DPA].show = ROW_OFFERED;
  rows[MOD_SIZE].show = shown_if(type.sizes.count > 1);
  rows[MOD_IRQ].show = shown_if(ed.set.params.mode == MODE_INTERRUPT);
}

void remove_board(board_set& set, int number) {
  params_rec& ps = set.params;
  for (int i = number; i < ps.nboards; ++i) ps.boards[i - 1] = ps.boards[i];
  --ps.nboards;
  unset_empty_bus(ps);
  record_delete(set.moves, number);
}

void unset_empty_bus(params_rec& set) {
  if (set.nboards == 0) set.bus = 0;
}

void mod_board(editor& ed) {
  if (nothing_to_modify(ed.set.params)) {
    std::fputs("There are no parameters to modify\n", ed.out);
    return;
  }
  const int number = which_board(ed, "modify");
  if (number < 1) return;  // quit, or no boards
  const int n = number - 1;
  board_rec& b = ed.set.params.boards[n];
  const btype_rec& type = ed.cat.config.types[b.type];
  flag_mod_rows(ed, type);
  for (;;) {
    fill_mod_labels(ed, b);
    switch (selection(ed, ed.mod_menu.data())) {
      case MOD_IOA:
        b.ioa = get_ioa(ed, n, &type.ioas_primary, &type.ioas_extras);
        break;
      case MOD_DPA:
        b.dpa = get_dp_addr(ed, n, &type);
        break;
      case MOD_SIZE:
        b.size = get_mem_size(ed, n, &type.sizes);
        break;
      case MOD_IRQ:
        b.irq = get_irq(ed, n, &type.irqs);
        break;
      default:
        return;
    }
    note_findings(ed, n);
  }
}

void del_board(editor& ed) {
  const int number = which_board(ed, "delete");
  if (number < 1) return;  // quit, or no boards
  remove_board(ed.set, number);
}

void list_params(editor& ed) {
  const params_rec& set = ed.set.params;
  const auto& types = ed.cat.config.types;
  const int n = set.nboards;
  if (n <= 0) {
    std::fputs("There are no boards configured to list\n", ed.out);
    return;
  }
  if (n == 1) {
    std::fputs("There is one board configured.\n\n", ed.out);
  } else {
    put(ed.out, "There are {} boards configured.\n\n", n);
  }
  int w = 0;
  for (int i = 0; i < n; ++i) {
    w = std::max(w, static_cast<int>(std::strlen(types[set.boards[i].type].class_)));
  }
  put(ed.out, "Board Type{:{}} IRQ  I/O   DPaddr  DPsize\n", "", w > 4 ? w - 4 : 0);
  for (int i = 0; i < n; ++i) {
    const board_rec& b = set.boards[i];
    // Padded by bytes, as the header's width counts them, whatever characters a label holds.
    const char* label = types[b.type].class_;
    const int pad = w - static_cast<int>(std::strlen(label));
    put(ed.out, "{:>3})  {}{:{}} {:>2}   {:>3x}   {:>6x}    {:>2}\n", i + 1, label, "", pad, b.irq,
        b.ioa, b.dpa, b.size);
  }
  std::fputs("\n", ed.out);
}

void show_mode_rows(editor& ed) {
  const bool both = mode_can_change(ed.cat.config.modes);
  const int mode = ed.set.params.mode;
  ed.main_menu[ROW_TO_INTERRUPT].show = shown_if(both && mode != MODE_INTERRUPT);
  ed.main_menu[ROW_TO_POLL].show = shown_if(both && mode == MODE_INTERRUPT);
}

void switch_mode(editor& ed) {
  params_rec& set = ed.set.params;
  if (set.mode == MODE_INTERRUPT) {
    set.mode = MODE_POLL;
    show_mode_rows(ed);
    return;
  }
  set.mode = MODE_INTERRUPT;
  show_mode_rows(ed);
  for (int i = 0; i < set.nboards; ++i) {
    board_rec& b = set.boards[i];
    if (b.irq == 0) b.irq = get_irq(ed, i, &ed.cat.config.types[b.type].irqs);
  }
}

}  // namespace kdz
