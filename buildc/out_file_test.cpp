#include "buildc/out_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "buildc/buildc.h"

namespace {

// Prints through `f` and appends to `want` what the C library makes of the same format.
template <format_text F, typename... Args>
void both(out_file& f, std::string& want, Args... args) {
  f.print<F>(args...);
  std::string line(std::snprintf(nullptr, 0, F.s, args...) + 1, '\0');
  std::snprintf(line.data(), line.size(), F.s, args...);
  want.append(line.data(), line.size() - 1);
}

// Every conversion at its edges, lines across many blocks, strings longer than a block.
// An unopened file is a golden case of the generator.
TEST(OutFile, WritesWhatTheCLibraryWrites) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("out_" + std::to_string(getpid()))).string();
  std::string w;
  {
    out_file f("prog", "test", path.c_str());
    for (int v : {0, 9, 10, 99, 100, 999, 1000, 65535, -1, -10, -100, INT_MAX, INT_MIN}) {
      both<"[%d|%1d|%01d]\n">(f, w, v, v, v);
    }
    for (unsigned v : {0u, 9u, 10u, 0x3f8u, 0xffffffffu}) {
      both<"0x%x 0x%lx\n">(f, w, v, static_cast<unsigned long>(v) << 32 | v);
    }
    both<"%s%s|%c%%%c|%s\n">(f, w, "", "kdzmux", 'a', 'f', "respawn");
    both<"%%d %%s %d%%\n">(f, w, 100);
    const std::string copy(255, 'c'), huge(10000, 'h');
    for (int i = 0; i < 2000; ++i) {
      const char port = port_name[i % 16];
      both<init_format>(f, w, 'a', i % 8, port, i % 3 ? "respawn" : "off", 'a', i % 8, port);
      both<node_format>(f, w, "kdzmux", 'A', i % 8, port, i);
      both<"#define KDZ_COPY \"%s\"\n">(f, w, copy.c_str());
      if (i % 500 == 0) both<"[%s]\n">(f, w, huge.c_str());
    }
    both<"%s">(f, w, "no newline at the end");
  }
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), w);
  std::filesystem::remove(path);
}

}  // namespace
