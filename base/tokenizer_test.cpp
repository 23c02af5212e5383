// The tokenizer and the small parsers: tokens of a line, table lookup, hexadecimal and
// decimal numbers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/lines.h"

namespace kdz {

namespace {

using strings = std::vector<std::string>;

strings tokens_of(const std::string& text) {
  std::array<char, BUF_SIZE> line{};
  std::memcpy(line.data(), text.c_str(), text.size() + 1);
  std::array<char*, MAX_TOKENS> argv{};
  const int n = argvify(argv.data(), line.data());
  EXPECT_EQ(argv[n], nullptr);
  return strings(argv.begin(), argv.begin() + n);
}

TEST(Argvify, SplitsLines) {
  std::string full(255, 'x');  // 128 tokens: the most a line of buf holds
  for (int i = 1; i < 255; i += 2) full[i] = ' ';
  // clang-format off
  const struct {
    std::string line;
    strings tokens;
  } cases[] = {
      {"  \t \n", {}}, {"", {}}, {"irqs 3 4 # note\n", {"irqs", "3", "4"}},
      {"copy \"\"\n", {"copy", ""}}, {"sizes 8 16#32\n", {"sizes", "8", "16"}},
      {"\"ab\"cd\n", {"ab", "cd"}}, {"a\"b c\n", {"a\"b", "c"}},
      {"x \"a # b\" y\n", {"x", "a # b", "y"}}, {"type bd\r\n", {"type", "bd\r"}},
      {full, strings(128, "x")},
      // No newline (a file's last line, a piece of a long line); quotes left open.
      {"mode ", {"mode"}}, {"copy \"open text\n", {"copy", "open text"}}, {"\"", {""}}};
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(tokens_of(c.line), c.tokens) << "line: " << c.line;
}

TEST(Search, FindsFirstExactRow) {
  const tag_entry table[] = {{"bus", 10}, {"mode", 1}, {"b", 3}, {"bus", 99}, {"", 7}};
  const tag_entry empty[] = {{"", 5}};
  // clang-format off
  const struct {
    const tag_entry* table;
    const char* key;
    int code;
  } cases[] = {
      {table, "bus", 10}, {table, "b", 3}, {table, "Mode", -1}, {table, "bu", -1},
      {table, "busy", -1}, {empty, "", -1}};  // the end row is never compared
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(search(c.table, c.key), c.code) << c.key;
}

TEST(Htol, ReadsHexOrGivesZero) {
  // clang-format off
  const struct {
    const char* text;
    std::uint32_t value;
  } cases[] = {
      {" \t\n300", 0x300}, {"d8000", 0xd8000}, {"2A8", 0x2a8}, {"", 0}, {" ", 0},
      {"1ffffffff", 0xffffffff}, {"123456789", 0x23456789}, {"0x300", 0}, {"300\n", 0},
      {"g", 0}};
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(htol(c.text), c.value) << "text: '" << c.text << "'";
}

// Read as atoi reads: the low 32 bits of strtol, which saturates beyond the range of long.
TEST(ReadDecimal, AgreesWithStrtol) {
  // clang-format off
  const char* const cases[] = {
      "16", "+7x", "x7", "", "+", "-", "+-1", "- 1", "007", " \t\n\v\f\r-42",
      "\0345", "\2405",  // \034 and \240 are not blanks
      "2147483648", "-2147483649", "4294967297", "9223372036854775807", "9223372036854775808",
      "-9223372036854775809", "99999999999999999999", "922337203685477580 7"};
  // clang-format on
  for (const char* text : cases) {
    const long expected = std::strtol(text, nullptr, 10);
    EXPECT_EQ(read_decimal(text), static_cast<std::int32_t>(static_cast<std::uint32_t>(expected)))
        << "text: '" << text << "'";
  }
}

}  // namespace

}  // namespace kdz
