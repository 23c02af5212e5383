// Questions for one board's values, each within what its type offers, and for the mode.
#include "base/lines.h"
#include "check/check.h"
#include "edit/editor.h"
#include "model/records.h"
#include "model/rules.h"

namespace kdz {

namespace {

// The pieces of a list question and its help line; the values go between them.
struct list_texts {
  const char* question_open;   // before the board number
  const char* question_board;  // after the board number, before the first value
  const char* help_open;       // before the first value
  bool hex;                    // values in hexadecimal, three wide
};

constexpr list_texts ioa_texts = {"What I/O address is board ", " to use? (",
                                  "Valid I/O address values are: ", true};
constexpr list_texts irq_texts = {"What IRQ is board ", " to use? (",
                                  "Valid IRQ values are: ", false};
constexpr list_texts size_texts = {"What size is the dual port on board ", "? (",
                                   "Valid dual port sizes are: ", false};

// Appends `before` and one value of a list to `text`.
void add_value(prompt_text& text, const char* before, std::int32_t value, bool hex) {
  if (hex) {
    text.add("{}{:>3x}", before, static_cast<std::uint32_t>(value));
  } else {
    text.add("{}{}", before, value);
  }
}

// Builds both texts over a list of two or more values: "(a, b, or c) " and "a, b, or c ".
void build_texts(const list_texts& t, int board, const value_list* list, prompt_text& question,
                 prompt_text& help) {
  const auto& v = list->values;
  const int last = list->count - 1;
  question.add("{}{}{}", t.question_open, board + 1, t.question_board);
  add_value(question, "", v[0], t.hex);
  add_value(help, t.help_open, v[0], t.hex);
  for (int i = 1; i < last; ++i) {
    add_value(question, ", ", v[i], t.hex);
    add_value(help, ", ", v[i], t.hex);
  }
  add_value(question, ", or ", v[last], t.hex);
  question.add(") ");
  add_value(help, ", or ", v[last], t.hex);
  help.add(" ");
}

// The value chosen from a decimal list: none, the only one, or the one the user names.
std::uint16_t pick_decimal(editor& ed, const list_texts& t, int board, const value_list* list) {
  if (!list_asks(*list)) return static_cast<std::uint16_t>(unasked(*list));
  prompt_text question, help;
  build_texts(t, board, list, question, help);
  return static_cast<std::uint16_t>(
      list->values[pick_1_of_list(ed, READ_DECIMAL, list, question.s, help.s)]);
}

}  // namespace

std::uint16_t get_ioa(editor& ed, int board, const value_list* primary, const value_list* extras) {
  if (!list_asks(*primary)) return static_cast<std::uint16_t>(unasked(*primary));
  // Only the primary addresses are shown; the extras are accepted all the same.
  prompt_text question, help;
  build_texts(ioa_texts, board, primary, question, help);
  const value_list choices = ioa_choices(primary, extras);
  return static_cast<std::uint16_t>(
      choices.values[pick_1_of_list(ed, READ_HEX, &choices, question.s, help.s)]);
}

std::uint16_t get_irq(editor& ed, int board, const value_list* irqs) {
  return pick_decimal(ed, irq_texts, board, irqs);
}

std::uint16_t get_mem_size(editor& ed, int board, const value_list* sizes) {
  return pick_decimal(ed, size_texts, board, sizes);
}

std::uint32_t get_dp_addr(editor& ed, int board, const btype_rec* type) {
  const int size = ed.set.params.boards[board].size;
  for (;;) {
    put(ed.out, "What memory address is board {} to use? ", board + 1);
    read_answer(ed);  // an empty answer reads as 0, which passes
    const std::uint32_t addr = htol(ed.answer);
    switch (dp_addr_fault(addr, type->attr, size)) {
      case DP_OK:
        note_number(ed, 16, addr);
        return addr;
      case DP_ABOVE_1MB:
        std::fputs("Memory address for this board must be below 1 Mbyte.\n", ed.out);
        break;
      case DP_OFF_BOUNDARY:
        put(ed.out, "Memory address for this board must be on a {} Kbyte boundary.\n", size);
        break;
    }
  }
}

void get_mode(editor& ed) {
  params_rec& set = ed.set.params;
  if (!mode_can_change(ed.cat.config.modes)) {
    set.mode = ed.cat.config.modes;
    return;
  }
  const int c = pick_a_or_b(ed, 'i', 'p', "Should the driver poll or be interrupted? (i or p) ",
                            "Enter p for poll, i for interrupt.");
  set.mode = c == 'p' ? MODE_POLL : MODE_INTERRUPT;
}

}  // namespace kdz
