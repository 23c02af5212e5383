// The editor's two streams and the one reader of its answers.
#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "libcfg/editor.h"

std::FILE* ed_in = stdin;
std::FILE* ed_out = stdout;

void editor_io(std::FILE* in, std::FILE* out) {
  ed_in = in;
  ed_out = out;
}

void read_answer() {
  std::fflush(ed_out);
  std::size_t n = 0;
  int c;
  while ((c = std::getc(ed_in)) != EOF && c != '\n') {
    if (n < BUF_SIZE - 1) buf[n++] = static_cast<char>(c);
  }
  if (c == EOF && n == 0) throw end_of_input{};
  buf[n] = '\0';
}

void ask(const char* question) {
  do {
    std::fputs(question, ed_out);
    read_answer();
  } while (buf[0] == '\0');
}

void prompt_text::add(const char* format, ...) {
  if (len >= sizeof s - 1) return;
  std::va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(s + len, sizeof s - len, format, args);
  va_end(args);
  if (n > 0) len = std::min(len + static_cast<std::size_t>(n), sizeof s - 1);
}
