#include "libcfg/line_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "libcfg/libcfg.h"

namespace {

// The bytes each read wrote, NUL bytes inside a line and the final NUL included.
using lines = std::vector<std::string>;

// Reads to the end; the buffer is filled with a marker before each read, so the last
// byte written (the terminating NUL) shows where the read stopped.
template <typename Read>
lines all_lines(const std::string& path, std::size_t size, Read read) {
  file_ptr f(std::fopen(path.c_str(), "rb"));
  lines got;
  std::vector<char> line(size);
  line_reader r(f.get());
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
  const std::string path =
      (std::filesystem::temp_directory_path() / ("lines_" + std::to_string(getpid()))).string();
  std::string mixed;  // lines of every length from 0 to 600, across many blocks
  for (int len = 0; len <= 600; len += 7) mixed += std::string(len, 'a' + len % 26) + "\n";
  const std::string cases[] = {
      "",
      "\n",
      "\n\n\n",
      "no newline",
      "one\ntwo\n",
      "one\ntwo",
      std::string("nul\0inside\n", 11),
      std::string("\0\0\n\0", 4),
      std::string(254, 'x') + "\n",
      std::string(255, 'x') + "\n",
      std::string(255, 'x'),
      std::string(256, 'x') + "\n",
      std::string(510, 'y') + "\nz",
      std::string(4095, 'b') + "\ntail\n",
      std::string(4096, 'c') + "\n",
      std::string(10000, 'd'),
      mixed,
  };
  for (const std::string& text : cases) {
    for (std::size_t size : {2u, 3u, 256u}) {
      std::FILE* out = std::fopen(path.c_str(), "wb");
      ASSERT_NE(out, nullptr);
      std::fwrite(text.data(), 1, text.size(), out);
      std::fclose(out);
      const lines want =
          all_lines(path, size, [](line_reader&, std::FILE* f, char* l, std::size_t s) {
            return std::fgets(l, static_cast<int>(s), f) != nullptr;
          });
      const lines got = all_lines(
          path, size,
          [](line_reader& r, std::FILE*, char* l, std::size_t s) { return read_line(r, l, s); });
      EXPECT_EQ(got, want) << "size " << size << ", text of " << text.size() << " bytes";
    }
  }
  std::filesystem::remove(path);
}

}  // namespace
