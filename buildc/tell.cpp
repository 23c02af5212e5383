// Every message of buildc on standard error, after the program's name.
#include <cstdio>

#include <fmt/format.h>

#include "base/error.h"
#include "base/program.h"
#include "buildc/buildc.h"

namespace kdz {

void tell(const char* prog, const error& e) {
  // Put together in place and written whole: one line is one write.
  fmt::memory_buffer lines;
  append_told(lines, prog, e);
  std::fwrite(lines.data(), 1, lines.size(), stderr);
}

}  // namespace kdz
