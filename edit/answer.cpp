// The one reader of the editor's answers, and the note on a number answer read otherwise
// than it was typed.
#include <cstdint>
#include <limits>

#include "base/lines.h"
#include "check/check.h"
#include "edit/editor.h"

namespace kdz {

namespace {

// The value of `c` as a digit of `base`, or -1.
int digit_of(char c, int base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base != 16) return -1;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Whether `text` is wholly digits of `base` whose number is `value`; an empty text reads as
// 0, as the memory address question takes it.
bool reads_as(const char* text, int base, std::int64_t value) {
  constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t number = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    const int digit = digit_of(*c, base);
    if (digit < 0) return false;
    // A number past 64 bits is past every field.
    if (number > (most - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base))
      return false;
    number = number * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
  }
  return value >= 0 && number == static_cast<std::uint64_t>(value);
}

}  // namespace

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

void note_number(editor& ed, int base, std::int64_t value) {
  if (reads_as(ed.answer, base, value)) return;
  const std::string typed = visible(ed.answer);
  if (base == 16) {
    note(ed, "\"{}\" is not a number: read as {:x}", typed, value);
  } else {
    note(ed, "\"{}\" is not a number: read as {}", typed, value);
  }
}

}  // namespace kdz
