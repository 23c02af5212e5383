// Questions for one board's values, each within what its type offers, and for the mode.
#include "libcfg/editor.h"

namespace {

// The pieces of a list question and its help line.
struct list_texts {
  const char* question_open;  // board number and first value
  const char* help_open;      // first value
  const char* middle;         // each value from the second to the last but one
  const char* question_close;
  const char* help_close;
};

constexpr list_texts ioa_texts = {"What I/O address is board %d to use? (%3x",
                                  "Valid I/O address values are: %3x", ", %3x", ", or %3x) ",
                                  ", or %3x "};
constexpr list_texts irq_texts = {"What IRQ is board %d to use? (%d", "Valid IRQ values are: %d",
                                  ", %d", ", or %d) ", ", or %d "};
constexpr list_texts size_texts = {"What size is the dual port on board %d? (%d",
                                   "Valid dual port sizes are: %d", ", %d", ", or %d) ",
                                   ", or %d "};

// Builds both texts over a list of two or more values.
void build_texts(const list_texts& t, int board, const value_list* list, prompt_text& question,
                 prompt_text& help) {
  const auto& v = list->values;
  const int last = list->count - 1;
  // The formats come from the tables above; each takes the arguments given here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  question.add(t.question_open, board + 1, v[0]);
  help.add(t.help_open, v[0]);
  for (int i = 1; i < last; ++i) {
    question.add(t.middle, v[i]);
    help.add(t.middle, v[i]);
  }
  question.add(t.question_close, v[last]);
  help.add(t.help_close, v[last]);
#pragma GCC diagnostic pop
}

// The value chosen from a decimal list: none, the only one, or the one the user names.
std::uint16_t pick_decimal(const list_texts& t, int board, const value_list* list) {
  if (!list_asks(*list)) return static_cast<std::uint16_t>(unasked(*list));
  prompt_text question, help;
  build_texts(t, board, list, question, help);
  return static_cast<std::uint16_t>(
      list->values[pick_1_of_list(READ_DECIMAL, list, question.s, help.s)]);
}

}  // namespace

std::uint16_t get_ioa(int board, const value_list* primary, const value_list* extras) {
  if (!list_asks(*primary)) return static_cast<std::uint16_t>(unasked(*primary));
  // Only the primary addresses are shown; the extras are accepted all the same.
  prompt_text question, help;
  build_texts(ioa_texts, board, primary, question, help);
  const value_list choices = ioa_choices(primary, extras);
  return static_cast<std::uint16_t>(
      choices.values[pick_1_of_list(READ_HEX, &choices, question.s, help.s)]);
}

std::uint16_t get_irq(int board, const value_list* irqs) {
  return pick_decimal(irq_texts, board, irqs);
}

std::uint16_t get_mem_size(int board, const value_list* sizes) {
  return pick_decimal(size_texts, board, sizes);
}

std::uint32_t get_dp_addr(int board, const btype_rec* type) {
  const int size = params.boards[board].size;
  for (;;) {
    std::fprintf(ed_out, "What memory address is board %d to use? ", board + 1);
    read_answer();  // an empty answer reads as 0, which passes
    const std::uint32_t addr = htol(buf);
    switch (dp_addr_fault(addr, type->attr, size)) {
      case DP_OK:
        return addr;
      case DP_ABOVE_1MB:
        std::fputs("Memory address for this board must be below 1 Mbyte.\n", ed_out);
        break;
      case DP_OFF_BOUNDARY:
        std::fprintf(ed_out, "Memory address for this board must be on a %d Kbyte boundary.\n",
                     size);
        break;
    }
  }
}

void get_mode() {
  if (!mode_can_change(config.modes)) {
    params.mode = config.modes;
    return;
  }
  const int c = pick_a_or_b('i', 'p', "Should the driver poll or be interrupted? (i or p) ",
                            "Enter p for poll, i for interrupt.");
  params.mode = c == 'p' ? MODE_POLL : MODE_INTERRUPT;
}
