// Text from a file or an answer made fit for a terminal line.
#include <fmt/format.h>

#include <iterator>
#include <string>
#include <string_view>

#include "base/lines.h"

namespace kdz {

std::string visible(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= ' ' && u != 0x7f) || u == '\t') {
      shown += c;
    } else if (u == '\r') {
      shown += "\\r";
    } else {
      fmt::format_to(std::back_inserter(shown), "\\x{:02x}", u);
    }
  }
  return shown;
}

}  // namespace kdz
