// The words of the findings: the values a type offers, and a finding's line as the
// programs print it.
#include <fmt/format.h>

#include <cstdio>
#include <iterator>
#include <string>

#include "check/check.h"
#include "model/records.h"

namespace kdz {

std::string list_text(const value_list& list, bool hex) {
  std::string text;
  for (int i = 0; i < list.count && i < MAX_VALUES; ++i) {
    if (i > 0) text += ", ";
    // A hexadecimal list holds the bit pattern of unsigned values.
    if (hex) {
      fmt::format_to(std::back_inserter(text), "{:x}", static_cast<std::uint32_t>(list.values[i]));
    } else {
      fmt::format_to(std::back_inserter(text), "{}", list.values[i]);
    }
  }
  return text;
}

std::string finding_line(const char* prefix, const check_paths& paths, const finding& f) {
  const char* path = f.file == IN_CFG   ? paths.cfg.get()
                     : f.file == IN_PAR ? paths.par.get()
                                        : paths.dces.get();
  std::string line = fmt::format("{}{}:", prefix, path);
  if (f.line != 0) fmt::format_to(std::back_inserter(line), "{}:", f.line);
  line += ' ';
  if (f.board >= 0) fmt::format_to(std::back_inserter(line), "board {}: ", f.board + 1);
  line += f.text;
  return line;
}

void print_finding(std::FILE* out, const char* prefix, const check_paths& paths, const finding& f) {
  const std::string line = finding_line(prefix, paths, f) + '\n';
  std::fwrite(line.data(), 1, line.size(), out);
}

}  // namespace kdz
