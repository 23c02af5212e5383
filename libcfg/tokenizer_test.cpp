#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "libcfg/libcfg.h"

namespace {

std::vector<std::string> tokens_of(const std::string& text) {
  std::array<char, BUF_SIZE> line{};
  std::memcpy(line.data(), text.c_str(), text.size() + 1);
  std::array<char*, MAX_TOKENS> argv{};
  const int n = argvify(argv.data(), line.data());
  std::vector<std::string> out(argv.begin(), argv.begin() + n);
  EXPECT_EQ(argv[n], nullptr);
  return out;
}

TEST(Argvify, SplitsLines) {
  using V = std::vector<std::string>;
  const struct {
    const char* line;
    V tokens;
  } cases[] = {
      {"mode i\n", {"mode", "i"}},
      {"  \t \n", {}},
      {"\n", {}},
      {"", {}},
      {"# comment\n", {}},
      {"irqs 3 4 # note\n", {"irqs", "3", "4"}},
      {"copy \"a  b\"\n", {"copy", "a  b"}},
      {"copy \"\"\n", {"copy", ""}},
      {"sizes 8 16#32\n", {"sizes", "8", "16"}},
      {"\"ab\"cd\n", {"ab", "cd"}},
      {"a\"b c\n", {"a\"b", "c"}},
      {"x \"a # b\" y\n", {"x", "a # b", "y"}},
      {"type bd\r\n", {"type", "bd\r"}},
      // Lines without a newline: the last line of a file, or a piece of a long line.
      {"mode i", {"mode", "i"}},
      {"mode ", {"mode"}},
      // A quote left open runs to the end of the line.
      {"copy \"open text\n", {"copy", "open text"}},
      {"copy \"open", {"copy", "open"}},
      {"\"", {""}},
  };
  for (const auto& c : cases) EXPECT_EQ(tokens_of(c.line), c.tokens) << "line: " << c.line;
}

TEST(Argvify, FullLineOfOneCharacterTokens) {
  std::string line;
  for (int i = 0; i < 127; ++i) line += "x ";
  line += "y";  // 255 characters, 128 tokens: the most a line of buf can hold
  ASSERT_EQ(line.size(), 255u);
  const auto tokens = tokens_of(line);
  ASSERT_EQ(tokens.size(), 128u);
  EXPECT_EQ(tokens.back(), "y");
}

TEST(Search, FindsFirstExactRow) {
  const tag_entry table[] = {{"bus", 10}, {"mode", 1}, {"b", 3}, {"bus", 99}, {"", 7}};
  const tag_entry empty[] = {{"", 5}};
  EXPECT_EQ(search(table, "bus"), 10);
  EXPECT_EQ(search(table, "mode"), 1);
  EXPECT_EQ(search(table, "Mode"), -1);
  EXPECT_EQ(search(table, "b"), 3);
  EXPECT_EQ(search(table, "bu"), -1);
  EXPECT_EQ(search(table, "busy"), -1);
  EXPECT_EQ(search(config_tags.data(), "i"), -1);
  EXPECT_EQ(search(config_tags.data(), "ioas-"), -1);
  EXPECT_EQ(search(table, ""), -1);  // the end row is never compared
  EXPECT_EQ(search(empty, ""), -1);
  EXPECT_EQ(search(config_tags.data(), "ioas-extras"), KW_IOAS_EXTRAS);
  EXPECT_EQ(search(param_tags.data(), "ioas-extras"), -1);
  EXPECT_EQ(search(param_tags.data(), "size"), search(config_tags.data(), "sizes"));
}

TEST(Htol, ReadsHexOrGivesZero) {
  const struct {
    const char* text;
    std::uint32_t value;
  } cases[] = {
      {"300", 0x300},
      {" \t\n300", 0x300},
      {"d8000", 0xd8000},
      {"2A8", 0x2a8},
      {"", 0},
      {" ", 0},
      {"\n", 0},
      {"ffffffff", 0xffffffffu},
      {"1ffffffff", 0xffffffffu},
      {"123456789", 0x23456789},
      {"0x300", 0},
      {"300 ", 0},
      {"300\n", 0},
      {"-1", 0},
      {"g", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(htol(c.text), c.value) << "text: '" << c.text << "'";
}

TEST(ReadDecimal, BehavesLikeAtoi) {
  const struct {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"16", 16},
      {" -3", -3},
      {"+7x", 7},
      {"x7", 0},
      {"", 0},
      {"4294967297", 1},             // the low 32 bits
      {"99999999999999999999", -1},  // saturates at LONG_MAX first
  };
  for (const auto& c : cases) EXPECT_EQ(read_decimal(c.text), c.value) << c.text;
}

// Texts at the edges of strtol's reading: each must give the low 32 bits of strtol.
TEST(ReadDecimal, AgreesWithStrtol) {
  const char* const cases[] = {
      "",
      " ",
      "+",
      "-",
      "+-1",
      "-+1",
      "--1",
      "- 1",
      "-0",
      "+0",
      "007",
      "12abc",
      "0x1f",
      "1e3",
      " \t\n\v\f\r-42",
      "\x1c"
      "5",  // not white space in the C locale
      "\xa0"
      "5",
      "2147483647",
      "2147483648",
      "-2147483648",
      "-2147483649",
      "4294967295",
      "4294967296",
      "-4294967296",
      "9223372036854775807",
      "9223372036854775808",
      "-9223372036854775807",
      "-9223372036854775808",
      "-9223372036854775809",
      "18446744073709551615",
      "18446744073709551617",
      "-18446744073709551617",
      "99999999999999999999999999999999999999",
      "-99999999999999999999999999999999999999",
      "+92233720368547758070",
      "922337203685477580 7",
  };
  for (const char* text : cases) {
    const long expected = std::strtol(text, nullptr, 10);
    EXPECT_EQ(read_decimal(text), static_cast<std::int32_t>(static_cast<std::uint32_t>(expected)))
        << "text: '" << text << "'";
  }
}

TEST(MakePath, JoinsProgramDirectoryAndName) {
  const struct {
    const char* prog;
    const char* name;
    const char* path;
  } cases[] = {
      {"dir/sub/prog", "cfg", "dir/sub/cfg"},
      {"prog", "cfg", "cfg"},
      {"/x/", "par", "/x/par"},
      {"/usr/x/gen", "kdzspc.h", "/usr/x/kdzspc.h"},
      {"./buildc", "Node", "./Node"},
  };
  for (const auto& c : cases) {
    path_ptr p(make_path(c.prog, c.name));
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p.get(), c.path);
  }
}

TEST(MakePath, ReportsFailedAllocation) {
  path_alloc = [](std::size_t) -> void* { return nullptr; };
  testing::internal::CaptureStderr();
  char* p = make_path("/opt/kdz/buildc", "cfg");
  const std::string err = testing::internal::GetCapturedStderr();
  path_alloc = std::malloc;
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(err, "/opt/kdz/buildc: make_path: malloc() : no memory\n");
}

}  // namespace
