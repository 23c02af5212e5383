// A whole catalog "cfg": loaded, checked against the capacities, and listed.
#include "fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  silence_stdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  write_file("cfg", data, size);
  if (load_config(fuzz_prog().c_str(), "cfg") != &config) __builtin_trap();
  if (!catalog_within_capacity()) __builtin_trap();
  print_config();
  return 0;
}
