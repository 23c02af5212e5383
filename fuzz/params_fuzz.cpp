// A whole parameter file "par" against the fixed catalog: loaded, listed, checked against
// the catalog and drawn on the resource map, then written and read back, which must give
// the same set at the lines the writer reported.
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "check/check.h"
#include "check/map.h"
#include "model/board_set.h"
#include "tests/support/fuzz_files.h"

namespace kdz {

namespace {

bool same_set(const params_rec& a, const params_rec& b) {
  if (a.nboards != b.nboards || a.mode != b.mode) return false;
  // A bus never set is written as "mc"; a set without boards is written without a bus.
  if (a.nboards == 0) return b.bus == 0;
  if ((a.bus == BUS_AT) != (b.bus == BUS_AT)) return false;
  static_assert(std::has_unique_object_representations_v<board_rec>);  // no padding
  return std::memcmp(a.boards.data(), b.boards.data(), a.nboards * sizeof(board_rec)) == 0;
}

bool same_findings(const std::vector<finding>& a, const std::vector<finding>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.line == y.line && x.board == y.board && x.text == y.text;
  });
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
  board_set written{loaded.params, {}, {}};
  const std::string text = params_text(cat, loaded.params, written.lines);
  board_set again{};
  warning_list warnings;
  if (!read_params(memory_stream(text).get(), cat, again, warnings)) __builtin_trap();
  if (!same_set(loaded.params, again.params)) __builtin_trap();
  if (loaded.params.bus == again.params.bus &&
      !same_findings(parameter_findings(cat, written, port_state{}),
                     parameter_findings(cat, again, port_state{})))
    __builtin_trap();
}

}  // namespace

int test_one_input(const std::uint8_t* data, std::size_t size) {
  const catalog& cat = fuzz_catalog();
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
