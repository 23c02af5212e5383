// Every message of buildc on standard error, after the program's name.
#include <cstdio>
#include <iterator>
#include <string_view>

#include <fmt/format.h>

#include "base/error.h"
#include "base/program.h"
#include "buildc/buildc.h"

namespace kdz {

void tell(const char* prog, const error& e) {
  // Put together in place and written whole: one line is one write.
  fmt::memory_buffer lines;
  fmt::format_to(std::back_inserter(lines), "{}: ", prog);
  append_message(lines, e);
  lines.push_back('\n');
  if (e.kind == error_kind::usage) fmt::format_to(std::back_inserter(lines), help_line, prog);
  std::fwrite(lines.data(), 1, lines.size(), stderr);
}

}  // namespace kdz
