// The formats of the generated files: what they accept when the program is built, and that
// what they print is what the C library prints for the same format.
#include "buildc/out_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "buildc/buildc.h"

namespace {

// The conversions the generated files use, and nothing that would print otherwise.
static_assert(line_format::valid<init_format> && line_format::valid<node_format>);
static_assert(line_format::valid<"%d %1d %01d %0d %x %01x %lx %01lx %s %c %%">);
static_assert(!line_format::valid<"%10d">, "a width of 10 would be dropped");
static_assert(!line_format::valid<"%2x">);
static_assert(!line_format::valid<"%1s">, "a width pads an empty text");
static_assert(!line_format::valid<"%01c">);
static_assert(!line_format::valid<"%ld">);
static_assert(!line_format::valid<"%u">);
static_assert(!line_format::valid<"100%">);

// Prints through `f` and appends to `want` what the C library makes of the same format.
template <format_text F, typename... Args>
void both(out_file& f, std::string& want, Args... args) {
  f.print<F>(args...);
  std::string line(std::snprintf(nullptr, 0, F.s, args...) + 1, '\0');
  std::snprintf(line.data(), line.size(), F.s, args...);
  want.append(line.data(), line.size() - 1);
}

// Every conversion at its edges, and enough lines to grow the text more than once.
TEST(OutFile, PrintsWhatTheCLibraryPrints) {
  out_file f;
  std::string w;
  for (int v : {0, 9, 10, 99, 100, 999, 1000, 65535, -1, -10, -100, INT_MAX, INT_MIN}) {
    both<"[%d|%1d|%01d]\n">(f, w, v, v, v);
  }
  for (unsigned v : {0u, 9u, 10u, 0x3f8u, 0xffffffffu}) {
    both<"0x%x 0x%lx\n">(f, w, v, static_cast<unsigned long>(v) << 32 | v);
  }
  both<"%s%s|%c%%%c|%s\n">(f, w, "", "kdzmux", 'a', 'f', "respawn");
  both<"%%d %%s %d%%\n">(f, w, 100);
  const std::string copy(MAX_TEXT, 'c');
  for (int i = 0; i < 2000; ++i) {
    const char port = port_name[i % 16];
    both<init_format>(f, w, 'a', i % 8, port, i % 3 ? "respawn" : "off", 'a', i % 8, port);
    both<node_format>(f, w, "kdzmux", 'A', i % 8, port, i);
    both<"#define KDZ_COPY \"%s\"\n">(f, w, copy.c_str());
  }
  both<"%s">(f, w, "no newline at the end");
  EXPECT_EQ(f.text(), w);
}

}  // namespace
