// Every message of buildc on standard error, after the program's name.
#include <cstdio>
#include <string_view>

#include <fmt/format.h>

#include "base/error.h"
#include "base/program.h"
#include "buildc/buildc.h"

namespace kdz {

void tell(const char* prog, const error& e) {
  // Put together in place and written whole: one line is one write.
  const std::string_view name(prog);
  fmt::memory_buffer lines;
  lines.append(name);
  lines.append(std::string_view(": "));
  append_message(lines, e);
  lines.push_back('\n');
  if (e.kind == error_kind::usage) append_help_line(lines, name);
  std::fwrite(lines.data(), 1, lines.size(), stderr);
}

}  // namespace kdz
