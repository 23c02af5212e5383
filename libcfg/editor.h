// Helpers shared by the board editor's files: the answer reader and bounded question texts.
#pragma once

#include <cstddef>

#include "libcfg/libcfg.h"

// Reads one answer line into `buf` without its line end, after flushing `ed_out` so that
// the question is seen first. Characters beyond 255 are read and dropped up to the line
// end. Throws end_of_input when nothing is left to read.
void read_answer();
// Writes `question` and reads answers until one is not empty.
void ask(const char* question);

// A question or help text of at most 79 characters, formatted piece by piece; what does
// not fit is cut.
struct text80 {
  char s[80] = "";
  std::size_t len = 0;
  void add(const char* format, ...) __attribute__((format(printf, 2, 3)));
};
