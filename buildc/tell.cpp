// Every message of buildc on standard error, after the program's name.
#include <cstdio>
#include <string_view>

#include <fmt/format.h>

#include "base/error.h"
#include "buildc/buildc.h"

namespace kdz {

void tell(const char* prog, const error& e) {
  // Put together in place and written whole: a short message needs no memory, and one line
  // is one write.
  fmt::memory_buffer line;
  line.append(std::string_view(prog));
  line.append(std::string_view(": "));
  append_message(line, e);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace kdz
