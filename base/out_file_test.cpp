// The arguments a format takes, as out_file::print counts them against its arguments when
// the program is built; and a text that grows past its first room keeps every line.
#include "base/out_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

namespace kdz {

namespace {

constexpr struct {
  std::string_view format;
  std::size_t arguments;
} cases[] = {
    {"no field\n", 0},
    {"{}", 1},
    {"{}\t{:x}\t{}\n", 3},
    {"{{}} {{", 0},       // doubled braces are literal ones
    {"{{{}}}", 1},        // a field between literal braces
    {"{0}{1}{0}", 2},     // a numbered field may come back
    {"{0}{3:x}", 4},      // the highest number counts, not the fields
    {"BD_{9}_{10}", 11},  // numbers of two digits
    {"{", 1},             // a format cut short stops at its end
};

static_assert(std::ranges::all_of(cases, [](const auto& c) {
  return arguments_of(c.format) == c.arguments;
}));

// Lines of every width a field can take, the widest first, until the text has grown
// several times; each line also goes to a string of its own to compare with.
TEST(OutFile, KeepsEveryLineAsItGrows) {
  char widest[256] = {};  // the longest text of a record: 255 characters
  std::fill_n(widest, sizeof widest - 1, 't');
  const char unended[8] = {'k', 'd', 'z', 'p', 'a', 'c', 'k', 's'};  // no null in its width
  out_file f;
  std::string want;
  for (int i = 0; i < 3000; ++i) {
    const int n = i % 3 == 0 ? INT_MIN : i;
    const unsigned long x = i % 2 == 0 ? ULONG_MAX : static_cast<unsigned long>(i);
    f.print(FMT_COMPILE("{}|{:x}|{}|{}|{}\n"), n, x, widest, unended, 'c');
    want += fmt::format("{}|{:x}|{}|kdzpacks|c\n", n, x, std::string_view(widest));
  }
  EXPECT_EQ(f.text(), want);
}

}  // namespace

}  // namespace kdz
