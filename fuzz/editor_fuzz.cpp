// The board editor driven by a fuzzed answer stream over a fixed catalog. The first byte
// picks the starting set (empty, or three boards in interrupt mode); the run ends when
// the answers do, or when the user quits with a set that passes the interrupt rules.
#include <algorithm>
#include <cstring>

#include "edit/editor.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"
#include "model/rules.h"
#include "tests/support/fuzz_files.h"

namespace kdz {

namespace {

const char catalog_text[] =
    "mode a\npkg kdz\ncopy \"fuzz catalog\"\n"
    "type xa8\nclass \"X 8 port\"\nt_code 1\nbus at\nsizes 16 32 64\nirqs 3 5 7 9\n"
    "ioas-primary 300 320 340\nioas-extras 100 108\n"
    "type xe16\nclass \"X EISA 16\"\nt_code 10\nbus at\nnum_ports 16\ncan_dce yes\n"
    "sizes 16\nirqs 5 7\nioas-primary 2a0\nextended_mem yes\n"
    "type xm8\nclass \"X MC 8\"\nt_code 2\nbus mc\nsizes 8 16 32\nirqs 3 4\n"
    "ioas-primary 1200 1208 1210\n"
    "type hidden\nt_code 4\nbus at\n";

board_set start_set(std::uint8_t pick) {
  board_set set{};
  if (pick % 2 == 0) return set;
  params_rec& p = set.params;
  p.bus = BUS_AT;
  p.mode = MODE_INTERRUPT;
  p.nboards = 3;
  p.boards[0] = {0, 16, 5, 0x300, 0xd0000};
  p.boards[1] = {1, 16, 7, 0x2a0, 0xd4000};
  p.boards[2] = {0, 32, 9, 0x320, 0x100000};
  return set;
}

}  // namespace

int test_one_input(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const catalog& cat = loaded_catalog(catalog_text);
  board_set set = start_set(data[0]);
  const int start = set.params.nboards;
  file_ptr in = memory_stream(data + 1, size - 1);
  file_ptr out(std::fopen("/dev/null", "w"));
  if (out == nullptr) std::abort();
  editor ed(cat, set, in.get(), out.get());
  bool quit = false;
  try {
    if (set.params.mode == 0) get_mode(ed);
    quit = edit_params(ed) == 1;
  } catch (const end_of_input&) {
  }
  // The editor never goes past its limit, and every board names a loaded type.
  const params_rec& p = set.params;
  if (p.nboards < 0 || p.nboards > std::max(start, EDIT_MAX_BOARDS)) __builtin_trap();
  for (int i = 0; i < p.nboards; ++i) {
    if (p.boards[i].type >= cat.config.ntypes) __builtin_trap();
  }
  if (quit && irq_rule_broken(cat, &p) != IRQ_OK) __builtin_trap();
  return 0;
}

}  // namespace kdz
