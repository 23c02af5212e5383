// model, the layer above base: the records of the board catalog "cfg" and of the board
// parameters "par", their readers and writers, and the rules a board set keeps (records.h
// says it whole).
//
// keyword_file.h: the reader that "cfg" and "par" share: lines of a keyword and its words, each
// line handed to the parse function of its keyword's rule, in the order of the file.
#pragma once

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/lines.h"
#include "model/records.h"

namespace kdz {

// One line that has words, as argvify split it: argv[0] is its keyword.
struct keyword_line {
  int argc;
  char** argv;
  int number;  // its line number, counted from 1 at each newline
};

// A file's lines, handed out one line with words at a time. Each reader has its own
// line buffer, which the words of the latest line point into.
struct keyword_lines {
  line_reader reader;
  int number = 1;    // the number of the line read next
  int first_cr = 0;  // the first line whose last word ends in a carriage return
  char text[BUF_SIZE] = {};
  char* argv[MAX_TOKENS] = {};

  explicit keyword_lines(std::FILE* in) : reader(in) {}
};

// The next line of `lines` that has words; false at the end of the file, and after a
// read error (lines.reader.error tells it). A line longer than the buffer comes in pieces
// that share its number.
bool next_keyword_line(keyword_lines& lines, keyword_line& line);

// A keyword of a file and what its lines need.
template <typename State>
struct keyword_rule {
  std::int16_t code;  // the keyword's code in the file's keyword table
  bool one_arg;       // its lines need an argument
  int place;          // where its lines may stand, in the reader's own terms
  void (*parse)(State& st, const keyword_line& line);
};

// For each keyword code, the index in `rules` (which ends with a row whose parse is null)
// of the first rule for it, or -1. Made when the program is built, so that a line finds
// its rule without going through the table.
template <typename State, std::size_t N>
constexpr std::array<std::int8_t, KW_CODES> rule_index(const keyword_rule<State> (&rules)[N]) {
  std::array<std::int8_t, KW_CODES> index{};
  index.fill(-1);
  for (std::size_t i = N; i-- > 0;) {
    if (rules[i].parse != nullptr) index.at(rules[i].code) = static_cast<std::int8_t>(i);
  }
  return index;
}

// What a reader gives the shared loop.
template <typename State>
struct keyword_grammar {
  const tag_entry* keywords;
  const keyword_rule<State>* rules;           // ends with a row whose parse is null
  std::array<std::int8_t, KW_CODES> rule_at;  // rule_index(rules)
  check_file file;                            // what the warnings are about
  const char* prefix;                         // and their prefix, cw or pw
  // Whether a line of `place` is dropped without a word, before its words are looked at.
  bool (*dropped)(const State& st, int place);
  // What is wrong with a line of `place` standing here, or null when it may.
  const char* (*misplaced)(const State& st, int place);
};

// The first rule of `g` for the keyword `code` (-1 for none), or null.
template <typename State>
const keyword_rule<State>* find_rule(const keyword_grammar<State>& g, int code) {
  const int i = code >= 0 && code < KW_CODES ? g.rule_at[code] : -1;
  return i >= 0 ? &g.rules[i] : nullptr;
}

// Hands `line` to its rule, or warns that the keyword is unknown, lacks its argument or
// stands where it may not.
template <typename State>
void dispatch_line(const keyword_grammar<State>& g, State& st, warning_list& warnings,
                   const keyword_line& line) {
  const char* const word = line.argv[0];
  const keyword_rule<State>* rule = find_rule(g, search(g.keywords, word));
  if (rule != nullptr && g.dropped(st, rule->place)) return;
  const char* const problem = rule == nullptr                  ? "unknown parameter"
                              : rule->one_arg && line.argc < 2 ? "missing value"
                                                               : g.misplaced(st, rule->place);
  if (problem != nullptr) {
    warn(warnings, g.file, line.number, g.prefix, problem, word);
  } else {
    rule->parse(st, line);
  }
}

// Reads every line of `in` into `st` through the rules of `g`, in the order of the lines;
// `first_cr` receives the first line whose last word ends in a carriage return. False
// (errno set) when a read failed.
template <typename State>
bool read_keyword_file(std::FILE* in, const keyword_grammar<State>& g, State& st,
                       warning_list& warnings, int& first_cr) {
  keyword_lines lines(in);
  keyword_line line{};
  while (next_keyword_line(lines, line)) dispatch_line(g, st, warnings, line);
  first_cr = lines.first_cr;
  errno = lines.reader.error;
  return lines.reader.error == 0;
}

// Copies text into a fixed field, cut to the field's width.
template <std::size_t N>
void copy_field(char (&field)[N], const char* text) {
  std::strncpy(field, text, N - 1);
  field[N - 1] = '\0';
}

}  // namespace kdz
