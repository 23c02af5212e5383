// A whole parameter file "par" against a fixed catalog: loaded, listed, checked against
// the catalog and drawn on the resource map, then written and read back, which must give
// the same set at the lines the writer reported.
#include <cstring>

#include "base/files.h"
#include "check/check.h"
#include "check/map.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"
#include "tests/support/fuzz_files.h"

namespace kdz {

namespace {

const char catalog_text[] =
    "mode a\npkg kdz\ncopy \"fuzz catalog\"\n"
    "type xa8\nclass \"X 8 port\"\nt_code 1\nbus at\nsizes 16 32\nirqs 3 5 7\n"
    "ioas-primary 300 320\n"
    "type \"xm 16\"\nclass \"X 16 port\"\nt_code 10\nbus mc\nnum_ports 16\ncan_dce yes\n";

bool same_set(const params_rec& a, const params_rec& b) {
  if (a.nboards != b.nboards || a.mode != b.mode) return false;
  // A bus never set is written as "mc"; a set without boards is written without a bus.
  if (a.nboards == 0) return b.bus == 0;
  if ((a.bus == BUS_AT) != (b.bus == BUS_AT)) return false;
  for (int i = 0; i < a.nboards; ++i) {
    const board_rec& x = a.boards[i];
    const board_rec& y = b.boards[i];
    if (x.type != y.type || x.size != y.size || x.irq != y.irq || x.ioa != y.ioa || x.dpa != y.dpa)
      return false;
  }
  return true;
}

bool same_findings(const std::vector<finding>& a, const std::vector<finding>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (a[k].line != b[k].line || a[k].board != b[k].board || a[k].text != b[k].text) return false;
  }
  return true;
}

// Every finding names a place that exists, and the map holds each of them once.
void check_findings(const catalog& cat, const board_set& set) {
  const std::vector<finding> all = all_findings(cat, set, port_state{});
  for (const finding& f : all) {
    if (f.board >= set.params.nboards || (f.file == IN_PAR && f.line < 0)) __builtin_trap();
  }
  const map_layout map = lay_out_map(set.params, all);
  if (map.placed.size() + map.elsewhere.size() != all.size()) __builtin_trap();
  for (const int owner : map.memory.owner) {
    if (owner < CELL_SHARED || owner > set.params.nboards) __builtin_trap();
  }
}

// The set written and read back: the same set, and the lines the writer reported are where
// the reader finds the values, so that the findings after saving point at the right lines.
void check_round_trip(const catalog& cat, const board_set& loaded) {
  char* text = nullptr;
  std::size_t text_size = 0;
  std::FILE* out = open_memstream(&text, &text_size);
  if (out == nullptr) std::abort();
  const board_set written{loaded.params, write_params(out, cat, loaded.params), {}};
  std::fclose(out);
  board_set again{};
  warning_list warnings;
  const bool read = read_params(memory_stream(text, text_size).get(), cat, again, warnings);
  std::free(text);
  if (!read || !same_set(loaded.params, again.params)) __builtin_trap();
  if (loaded.params.bus == again.params.bus &&
      !same_findings(parameter_findings(cat, written, port_state{}),
                     parameter_findings(cat, again, port_state{})))
    __builtin_trap();
}

}  // namespace

int test_one_input(const std::uint8_t* data, std::size_t size) {
  const catalog& cat = loaded_catalog(catalog_text);
  board_set set{};
  warning_list warnings;
  if (!read_params(memory_stream(data, size).get(), cat, set, warnings)) __builtin_trap();
  if (set.params.nboards < 0 || set.params.nboards > MAX_BOARDS) __builtin_trap();
  for (int i = 0; i < set.params.nboards; ++i) {
    if (set.params.boards[i].type >= cat.config.ntypes) __builtin_trap();
  }
  print_warnings(warnings);
  print_params(cat, set.params);
  check_findings(cat, set);
  check_paths paths;
  if (!form_check_paths(beside_program("/nonexistent/prog"), paths).ok()) __builtin_trap();
  draw_map(paths, cat, set, port_state{}, stdout);  // standard output is /dev/null
  check_round_trip(cat, set);
  return 0;
}

}  // namespace kdz
