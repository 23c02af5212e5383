// The note on a number read otherwise than typed, at the edges the golden dialogues do not
// reach (note_hex_answers, note_decimal_answers and odd_answers have the common ones).
#include <string>

#include "tests/support/edit_test_files.h"

namespace kdz {

using namespace edit_test;

TEST(NoteNumber, OnlyWhenTheAnswerIsNotWhollyTheDigitsOfTheValue) {
  const catalog cat = read_catalog(catalog_text);
  const struct {
    const char* answer;
    int base;
    std::int64_t value;  // as the question read it
    const char* note;
  } cases[] = {
      {"", 16, 0, ""},
      // Past 64 bits, where the low 64 bits alone would match.
      {"10000000000000300", 16, 0x300,
       "note: \"10000000000000300\" is not a number: read as 300\n"},
      {"a", 10, 10, "note: \"a\" is not a number: read as 10\n"},  // no decimal digit
      {"1f", 10, 1, "note: \"1f\" is not a number: read as 1\n"},
      {"18446744073709551615", 10, -1,
       "note: \"18446744073709551615\" is not a number: read as -1\n"},
      {"5\t", 10, 5, "note: \"5\t\" is not a number: read as 5\n"},
      {"5\x7f", 10, 5, "note: \"5\\x7f\" is not a number: read as 5\n"},
  };
  for (const auto& c : cases) {
    board_set set{};
    session run(cat, set, std::string(c.answer) + "\n");
    read_answer(run.ed);
    note_number(run.ed, c.base, c.value);
    EXPECT_EQ(run.written(), c.note) << c.answer;
  }
}

}  // namespace kdz
