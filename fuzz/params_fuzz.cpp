// A whole parameter file "par" against a fixed catalog: loaded, listed, checked against
// the catalog and drawn on the resource map, then written and read back, which must give
// the same set.
#include <cstring>

#include "fuzz/fuzz_files.h"

namespace {

const char catalog[] =
    "mode a\npkg kdz\ncopy \"fuzz catalog\"\n"
    "type xa8\nclass \"X 8 port\"\nt_code 1\nbus at\nsizes 16 32\nirqs 3 5 7\n"
    "ioas-primary 300 320\n"
    "type \"xm 16\"\nclass \"X 16 port\"\nt_code 10\nbus mc\nnum_ports 16\ncan_dce yes\n";

bool same_set(const params_rec& a, const params_rec& b) {
  if (a.nboards != b.nboards || a.mode != b.mode) return false;
  // A bus never set is written as "mc".
  if ((a.bus == BUS_AT) != (b.bus == BUS_AT)) return false;
  for (int i = 0; i < a.nboards; ++i) {
    const board_rec& x = a.boards[i];
    const board_rec& y = b.boards[i];
    if (x.type != y.type || x.size != y.size || x.irq != y.irq || x.ioa != y.ioa || x.dpa != y.dpa)
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  silence_stdout();
  load_catalog(catalog);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  params.mode = 0;
  if (read_params(memory_stream(data, size).get()) != &params) __builtin_trap();
  if (params.nboards < 0 || params.nboards > MAX_BOARDS) __builtin_trap();
  for (int i = 0; i < params.nboards; ++i) {
    if (params.boards[i].type >= config.ntypes) __builtin_trap();
  }
  print_params();
  for (const finding& f : all_findings()) {  // every finding names a place that exists
    if (f.board >= params.nboards || (f.file == IN_PAR && f.line < 0)) __builtin_trap();
  }
  draw_map("/nonexistent/prog", stdout);  // no "dces" there: standard output is /dev/null
  const params_rec loaded = params;
  char* text = nullptr;
  std::size_t text_size = 0;
  std::FILE* out = open_memstream(&text, &text_size);
  if (out == nullptr) std::abort();
  write_params(out);
  std::fclose(out);
  const bool same =
      read_params(memory_stream(text, text_size).get()) == &params && same_set(loaded, params);
  std::free(text);
  if (!same) __builtin_trap();
  return 0;
}
