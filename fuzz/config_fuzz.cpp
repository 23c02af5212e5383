// A whole catalog "cfg": loaded, checked against the capacities, its warnings and listing
// printed, and checked by the catalog's rules.
#include <cstring>

#include "check/check.h"
#include "tests/support/fuzz_files.h"

namespace kdz {

namespace {

// Every fixed-width text of the records ends within its width.
template <std::size_t N>
bool terminated(const char (&field)[N]) {
  return std::memchr(field, '\0', N) != nullptr;
}

bool within_capacity(const catalog& cat) {
  const config_rec& config = cat.config;
  if (config.ntypes < 0 || config.ntypes > MAX_TYPES) return false;
  if (!terminated(config.copy) || !terminated(config.pkg)) return false;
  for (int i = 0; i <= config.ntypes; ++i) {
    const btype_rec& t = i < config.ntypes ? config.types[i] : cat.def;
    if (!terminated(t.name) || !terminated(t.class_) || !terminated(t.cp_name)) return false;
    for (const value_list* l : {&t.sizes, &t.irqs, &t.ioas_primary, &t.ioas_extras}) {
      if (l->count < 0 || l->count > MAX_VALUES) return false;
    }
  }
  // Both tables by type keep their end row after the last type.
  return type_tags(cat)[config.ntypes].name == null && cat.class_rows[config.ntypes] == ROW_END;
}

}  // namespace

int test_one_input(const std::uint8_t* data, std::size_t size) {
  catalog cat{};
  warning_list warnings;
  if (!read_config(memory_stream(data, size).get(), cat, warnings)) __builtin_trap();
  if (!within_capacity(cat)) __builtin_trap();
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
