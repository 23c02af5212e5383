// The board editor as "editpar -f" runs it: a fuzzed "par" (up to a line "%%") read against
// the fixed catalog, then edited by the fuzzed answers that follow; the run ends when the
// answers do, or when the user quits with a set that passes the interrupt rules.
#include <algorithm>

#include "edit/editor.h"
#include "model/board_set.h"
#include "model/rules.h"
#include "tests/support/fuzz_files.h"

namespace kdz {

int test_one_input(const std::uint8_t* data, std::size_t size) {
  const catalog& cat = fuzz_catalog();
  const auto [par, answers] = split_input(data, size);
  board_set set{};
  warning_list warnings;
  if (!read_params(memory_stream(par).get(), cat, set, warnings)) __builtin_trap();
  params_rec& p = set.params;
  unset_empty_bus(p);  // as editpar reads it
  const int start = p.nboards;
  file_ptr in = memory_stream(answers);
  editor ed(cat, set, in.get(), stdout);  // standard output is /dev/null
  bool quit = false;
  try {
    if (p.mode == 0) get_mode(ed);
    quit = edit_params(ed) == 1;
  } catch (const end_of_input&) {
  }
  // The editor never goes past its limit, and every board names a loaded type.
  if (p.nboards < 0 || p.nboards > std::max(start, EDIT_MAX_BOARDS)) __builtin_trap();
  for (int i = 0; i < p.nboards; ++i) {
    if (p.boards[i].type >= cat.config.ntypes) __builtin_trap();
  }
  if (quit && irq_rule_broken(cat, &p) != IRQ_OK) __builtin_trap();
  return 0;
}

}  // namespace kdz
