// The one reader of the editor's answers.
#include "libcfg/editor.h"

void read_answer(editor& ed) {
  std::fflush(ed.out);
  std::size_t n = 0;
  int c;
  while ((c = std::getc(ed.in)) != EOF && c != '\n') {
    if (n < BUF_SIZE - 1) ed.answer[n++] = static_cast<char>(c);
  }
  if (c == EOF && n == 0) throw end_of_input{};
  ed.answer[n] = '\0';
}

void ask(editor& ed, const char* question) {
  do {
    std::fputs(question, ed.out);
    read_answer(ed);
  } while (ed.answer[0] == '\0');
}
