// The lines of a keyword file, split into words.
#include "model/keyword_file.h"

namespace kdz {

bool next_keyword_line(keyword_lines& lines, keyword_line& line) {
  for (std::size_t n; (n = read_line(lines.reader, lines.text, sizeof lines.text)) != 0;) {
    const int number = lines.number;
    // Seen before argvify cuts the line at its newline.
    if (lines.text[n - 1] == '\n') ++lines.number;
    const int argc = argvify(lines.argv, lines.text);
    if (argc == 0) continue;
    if (lines.first_cr == 0 && ends_in_cr(lines.argv[argc - 1])) lines.first_cr = number;
    line = {argc, lines.argv, number};
    return true;
  }
  return false;
}

}  // namespace kdz
