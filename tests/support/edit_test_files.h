// What the editor's unit tests share: a catalog and a set read from text, the set in one
// line, and an editor over answers given as text whose questions are kept.
#pragma once

#include <fmt/format.h>
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

// Four types on two buses: a list of every kind, a single size (its class label not all
// ASCII), an EISA board without I/O addresses, and an MC board.
constexpr char catalog_text[] =
    "mode interrupt poll\n"
    "type at8\nclass \"AT 8\"\nt_code 1\nbus at\nsizes 16 32\nirqs 3 5 7\n"
    "ioas-primary 80 300\nioas-extras 320\n"
    "type one\nclass \"\xc3\x96ne size\"\nt_code 2\nbus at\nsizes 16\nirqs 5 7\nioas-primary 310\n"
    "type eisa\nclass \"EISA\"\nt_code 10\nbus at\nsizes 64 128\nirqs 5 7 10\nextended_mem yes\n"
    "type mc8\nclass \"MC 8\"\nt_code 5\nbus mc\nsizes 16 32\nirqs 3 4\n"
    "ioas-primary 1000 1008\n";

inline catalog read_catalog(std::string text) {
  catalog cat{};
  warning_list warnings;
  const file_ptr in(fmemopen(text.data(), text.size(), "r"));
  EXPECT_TRUE(read_config(in.get(), cat, warnings));
  EXPECT_TRUE(warnings.empty()) << warnings.front().text;
  return cat;
}

// A set read from "par" text: "mode interrupt\nbus at\ntype at8\nsize 16\n...".
inline board_set read_set(const catalog& cat, std::string text) {
  board_set set{};
  warning_list warnings;
  const file_ptr in(fmemopen(text.data(), text.size(), "r"));
  EXPECT_TRUE(read_params(in.get(), cat, set, warnings));
  EXPECT_TRUE(warnings.empty()) << warnings.front().text;
  return set;
}

// "m<mode> b<bus>", then each board as "| type size irq ioa dpa", addresses in hex.
inline std::string summary(const catalog& cat, const params_rec& set) {
  std::string s = fmt::format("m{} b{}", set.mode, set.bus);
  for (int i = 0; i < set.nboards; ++i) {
    const board_rec& b = set.boards[i];
    s += fmt::format(" | {} {} {} {:x} {:x}", cat.config.types[b.type].name, b.size, b.irq, b.ioa,
                     b.dpa);
  }
  return s;
}

// An editor whose answers are `answers` and whose questions and listings are kept in
// memory; written() gives what it wrote so far.
struct session {
  session(const catalog& cat, board_set& set, std::string answers)
      : typed(std::move(answers)),
        in(typed.empty() ? std::fopen("/dev/null", "r")
                         : fmemopen(typed.data(), typed.size(), "r")),
        out(open_memstream(&text, &size)),
        ed(cat, set, in.get(), out.get()) {}
  ~session() {
    out.reset();
    std::free(text);
  }
  session(const session&) = delete;
  session& operator=(const session&) = delete;

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
