// An old "Init" and an old "dces" (split from one input at the line "%%") read back into
// the per-port flags: every byte in every position, lines of any length.
#include "package/port_lines.h"
#include "tests/support/fuzz_files.h"

namespace kdz {

int test_one_input(const std::uint8_t* data, std::size_t size) {
  const auto [init, dces] = split_input(data, size);
  port_state ports{};
  read_init_flags(memory_stream(init).get(), ports);
  read_dce_flags(memory_stream(dces).get(), ports);
  for (int i = 0; i < PORT_SLOTS; ++i) {
    if (ports.enabled[i] > 1 || ports.is_dce[i] > 1) __builtin_trap();
    // A DCE flag always has the line that set it, and only a set flag has one.
    if ((ports.is_dce[i] != 0) != (ports.dce_lines[i] > 0)) __builtin_trap();
  }
  return 0;
}

}  // namespace kdz
