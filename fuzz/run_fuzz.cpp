// A whole generator run from a fuzzed catalog and parameter file (split from one input
// at the line "%%"). The old "Init" and "dces" are those of the previous input, as on a
// host where the generator runs again and again. Every file written must have the lines
// its boards call for.
#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <string>

#include "buildc/buildc.h"
#include "model/board_set.h"
#include "package/package_files.h"
#include "tests/support/fuzz_files.h"

namespace kdz {

namespace {

std::string path_of(const char* name) {
  return fuzz_dir() + "/" + name;
}

int lines_of(int row) {
  std::ifstream f(path_of(package_files[row].name));
  if (!f) __builtin_trap();
  return static_cast<int>(std::count(std::istreambuf_iterator<char>(f), {}, '\n'));
}

// The lines of each package file, by row, for the boards of `ps`.
std::array<int, PKG_FILES> lines_wanted(const catalog& cat, const params_rec& ps) {
  int ports = 0, dce_capable = 0, logical = 0;
  for (int b = 0; b < ps.nboards; ++b) {
    const btype_rec& type = type_of(cat, ps.boards[b]);
    ports += ports_of(type);
    dce_capable += (type.attr & ATTR_DCE) ? 1 : 0;
    logical += ports_of(type) / LOGICAL_PORTS;
  }
  std::array<int, PKG_FILES> want{};
  // A copy text or type name with a newline in it cannot come from a line of "cfg".
  want[PKG_SPACE] = 4 + 8 * logical + 2 * ps.nboards + 2 * std::max(0, 8 - logical);
  want[PKG_SYSTEM] = ps.nboards;
  want[PKG_INIT] = 2 * ports;
  // "dces" and "dtes" share the lines of the DCE-capable boards: counted together.
  want[PKG_DCES] = 2 * DCE_PORTS * dce_capable;
  want[PKG_NODE] = 1 + 3 * ports;
  return want;
}

// Every file written has the lines its boards call for, read back as the run read them.
void check_outputs() {
  catalog cat{};
  board_set set{};
  warning_list warnings;
  const program_files at = beside_program(path_of("prog").c_str());
  if (!load_config(at, "cfg", cat, warnings).ok() || !load_params(at, cat, set, warnings).ok())
    __builtin_trap();
  const std::array<int, PKG_FILES> want = lines_wanted(cat, set.params);
  for (int row : {PKG_SPACE, PKG_SYSTEM, PKG_INIT, PKG_NODE}) {
    if (lines_of(row) != want[row]) __builtin_trap();
  }
  if (lines_of(PKG_DCES) + lines_of(PKG_DTES) != want[PKG_DCES]) __builtin_trap();
}

}  // namespace

int test_one_input(const std::uint8_t* data, std::size_t size) {
  const auto [cfg, par] = split_input(data, size);
  std::ofstream(path_of("cfg"), std::ios::binary) << cfg;
  std::ofstream(path_of("par"), std::ios::binary) << par;
  // -f: a "par" read with warnings is written from too, so every input reaches the writers.
  run_options force;
  force.force = true;
  if (exit_status(run(beside_program(path_of("prog").c_str()), force)) != 0) __builtin_trap();
  check_outputs();
  return 0;
}

}  // namespace kdz
