// One line of a file through the tokenizer, as a 256-byte read leaves it in a reader's
// line buffer.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/lines.h"
#include "model/records.h"
#include "tests/support/fuzz_files.h"

namespace kdz {

int test_one_input(const std::uint8_t* data, std::size_t size) {
  char line[BUF_SIZE];
  const std::size_t n = size < BUF_SIZE - 1 ? size : BUF_SIZE - 1;
  std::memcpy(line, data, n);
  line[n] = '\0';
  char* argv[MAX_TOKENS];
  const int count = argvify(argv, line);
  if (count < 0 || count >= MAX_TOKENS || argv[count] != nullptr) __builtin_trap();
  for (int i = 0; i < count; ++i) {
    // Every token lies inside the line and ends within it.
    if (argv[i] < line || argv[i] > line + n) __builtin_trap();
    if (std::strlen(argv[i]) > n) __builtin_trap();
    htol(argv[i]);
    read_decimal(argv[i]);
  }
  search(config_tags.data(), count > 0 ? argv[0] : "");
  return 0;
}

}  // namespace kdz
