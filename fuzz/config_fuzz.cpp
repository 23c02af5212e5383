// A whole catalog "cfg": loaded, checked against the capacities, listed, and checked by the
// catalog's rules.
#include "fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (read_config(memory_stream(data, size).get()) != &config) __builtin_trap();
  if (!catalog_within_capacity()) __builtin_trap();
  print_config();
  for (const finding& f : catalog_findings()) {
    if (f.file != IN_CFG || f.line < 0 || f.board != -1) __builtin_trap();
  }
  return 0;
}
