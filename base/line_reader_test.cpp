// The line reader of "cfg", "par", "Init" and "dces": exactly the lines fgets gives.
#include "base/lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/files.h"

namespace kdz {

namespace {

// Every read to the end of `text`, as the bytes it wrote up to its NUL (NUL bytes inside a
// line included): the buffer is filled with a marker before each read.
template <typename Read>
std::vector<std::string> all_lines(std::string text, std::size_t size, Read read) {
  file_ptr f(fmemopen(text.data(), text.size(), "r"));
  line_reader r(f.get());
  std::vector<std::string> got;
  std::vector<char> line(size);
  for (int guard = 0; guard < 100000; ++guard) {
    std::fill(line.begin(), line.end(), '\x7f');
    if (!read(r, f.get(), line.data(), size)) break;
    std::size_t n = size;
    while (n > 0 && line[n - 1] == '\x7f') --n;
    got.emplace_back(line.data(), n);
  }
  return got;
}

TEST(ReadLine, AgreesWithFgets) {
  std::string mixed;  // lines of every length from 0 to 600, across many blocks
  for (int len = 0; len <= 600; len += 7) mixed += std::string(len, 'a' + len % 26) + "\n";
  using s = std::string;
  // clang-format off
  const std::string cases[] = {
      "", "\n", "\n\n\n", "no newline", "one\ntwo\n", "one\ntwo", s("nul\0inside\n", 11),
      s("\0\0\n\0", 4), s(254, 'x') + "\n", s(255, 'x') + "\n", s(255, 'x'), s(256, 'x') + "\n",
      s(510, 'y') + "\nz", s(4095, 'b') + "\ntail\n", s(4096, 'c') + "\n", s(10000, 'd'), mixed};
  // clang-format on
  const auto by_fgets = [](line_reader&, std::FILE* f, char* l, std::size_t n) {
    return std::fgets(l, static_cast<int>(n), f) != nullptr;
  };
  const auto by_read_line = [](line_reader& r, std::FILE*, char* l, std::size_t n) {
    return read_line(r, l, n) != 0;
  };
  // A piece read without a copy, copied here the way read_line fills its buffer.
  const auto by_read_piece = [](line_reader& r, std::FILE*, char* l, std::size_t n) {
    std::vector<char> spill(n);
    const std::string_view piece = read_piece(r, spill.data(), n);
    std::copy(piece.begin(), piece.end(), l);
    if (!piece.empty()) l[piece.size()] = '\0';
    return !piece.empty();
  };
  for (const std::string& text : cases) {
    for (std::size_t size : {2u, 3u, 256u}) {
      const auto want = all_lines(text, size, by_fgets);
      EXPECT_EQ(all_lines(text, size, by_read_line), want)
          << "size " << size << ", text of " << text.size() << " bytes";
      EXPECT_EQ(all_lines(text, size, by_read_piece), want)
          << "pieces, size " << size << ", text of " << text.size() << " bytes";
    }
  }
}

}  // namespace

}  // namespace kdz
