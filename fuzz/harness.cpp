// The fuzzer's entry points, one pair for every target: each target defines test_one_input
// (tests/support/fuzz_files.h); what the targets print is kept out of the fuzzer's log.
#include "tests/support/fuzz_files.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return kdz::test_one_input(data, size);
}
