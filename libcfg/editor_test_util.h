// Drives editor calls in-process: answers from a string, questions into a string.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "libcfg/libcfg.h"

struct dialogue {
  std::string out;
  bool ended = false;  // the answers ran out while a question waited
};

template <class F>
dialogue talk(const std::string& answers, F&& call) {
  dialogue d;
  std::FILE* input = std::tmpfile();
  std::fwrite(answers.data(), 1, answers.size(), input);
  std::rewind(input);
  char* text = nullptr;
  std::size_t len = 0;
  std::FILE* output = open_memstream(&text, &len);
  editor_io(input, output);
  try {
    call();
  } catch (const end_of_input&) {
    d.ended = true;
  }
  std::fclose(output);
  std::fclose(input);
  editor_io(stdin, stdout);
  d.out.assign(text, len);
  std::free(text);
  return d;
}
