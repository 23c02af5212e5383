// What the editor's unit tests share: a catalog read from text, and an editor over answers
// given as text whose questions are kept.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "base/files.h"
#include "edit/editor.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"

namespace kdz::edit_test {

// One AT type: a list of sizes, irqs and I/O addresses.
constexpr char catalog_text[] =
    "mode interrupt poll\n"
    "type at8\nclass \"AT 8\"\nt_code 1\nbus at\nsizes 16 32\nirqs 3 5 7\n"
    "ioas-primary 80 300\nioas-extras 320\n";

inline catalog read_catalog(std::string text) {
  catalog cat{};
  warning_list warnings;
  const file_ptr in(fmemopen(text.data(), text.size(), "r"));
  EXPECT_TRUE(read_config(in.get(), cat, warnings));
  EXPECT_TRUE(warnings.empty()) << warnings.front().text;
  return cat;
}

// An editor whose answers are `answers` (not empty) and whose questions and listings are kept in
// memory; written() gives what it wrote so far.
struct session {
  session(const catalog& cat, board_set& set, std::string answers)
      : typed(std::move(answers)),
        in(fmemopen(typed.data(), typed.size(), "r")),
        out(open_memstream(&text, &size)),
        ed(cat, set, in.get(), out.get()) {}
  ~session() {
    out.reset();
    std::free(text);
  }

  std::string written() {
    std::fflush(out.get());
    return std::string(text, size);
  }

  std::string typed;
  file_ptr in;
  char* text = nullptr;
  std::size_t size = 0;
  file_ptr out;
  editor ed;
};

}  // namespace kdz::edit_test
