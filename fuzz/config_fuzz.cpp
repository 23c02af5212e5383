// A whole catalog "cfg": loaded, checked against the capacities, its warnings and listing
// printed, and checked by the catalog's rules.
#include <cstddef>
#include <cstdint>

#include "check/check.h"
#include "model/catalog.h"
#include "model/records.h"
#include "tests/support/fuzz_files.h"

namespace kdz {

int test_one_input(const std::uint8_t* data, std::size_t size) {
  catalog cat{};
  warning_list warnings;
  if (!read_config(memory_stream(data, size).get(), cat, warnings)) __builtin_trap();
  if (!catalog_within_capacity(cat)) __builtin_trap();
  // Warnings come in the order of their lines.
  int line = 1;
  for (const reader_warning& w : warnings) {
    if (w.file != IN_CFG || w.line < line) __builtin_trap();
    line = w.line;
  }
  print_warnings(warnings);
  print_config(cat);
  for (const finding& f : catalog_findings(cat)) {
    if (f.file != IN_CFG || f.line < 0 || f.board != -1) __builtin_trap();
  }
  return 0;
}

}  // namespace kdz
