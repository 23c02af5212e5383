#include "buildc/out_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "buildc/buildc.h"

namespace {

// A file written through out_file beside what the C library makes of the same calls.
struct out_file_test : testing::Test {
  std::string path =
      (std::filesystem::temp_directory_path() / ("out_" + std::to_string(getpid()))).string();
  std::string want;

  void TearDown() override { std::filesystem::remove(path); }

  template <typename... Args>
  void both(out_file& f, const char* format, Args... args) {
    f.print(format, args...);
    std::string line(std::snprintf(nullptr, 0, format, args...) + 1, '\0');
    std::snprintf(line.data(), line.size(), format, args...);
    want.append(line.data(), line.size() - 1);
  }
  std::string written() {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(out_file_test, ConversionsAsTheCLibraryMakesThem) {
  {
    out_file f("prog", "test", path.c_str());
    const int decimals[] = {0, 9, 10, 99, 100, 999, 1000, 65535, -1, -10, -100, INT_MAX, INT_MIN};
    for (int v : decimals) both(f, "[%d|%1d|%01d]\n", v, v, v);
    const unsigned hexes[] = {0, 9, 10, 0x3f8, 0xffffffff};
    for (unsigned v : hexes) both(f, "0x%x 0x%lx\n", v, static_cast<unsigned long>(v) << 32 | v);
    both(f, "%s%s|%c%%%c|%s\n", "", "kdzmux", 'a', 'f', "respawn");
    both(f, "%%d %%s %d%%\n", 100);
    both(f, "%s", "no newline at the end");
  }
  EXPECT_EQ(written(), want);
}

// Lines across many blocks, alternating more formats than the writer remembers, strings
// longer than a block, and a format with more conversions than one taking-apart holds.
TEST_F(out_file_test, LongRunsAndOddFormats) {
  const std::string copy(255, 'c');
  const std::string huge(10000, 'h');
  {
    out_file f("prog", "test", path.c_str());
    for (int i = 0; i < 2000; ++i) {
      both(f, init_format, 'a', i % 8, port_name[i % 16], i % 3 ? "respawn" : "off", 'a', i % 8,
           port_name[i % 16]);
      both(f, node_format, "kdzmux", 'A', i % 8, port_name[i % 16], i);
      both(f, "#define KDZ_COPY \"%s\"\n", copy.c_str());
      both(f, "1 %d\n", i);
      both(f, "2 %d\n", i);
      both(f, "3 %d\n", i);
      both(f, "4 %d\n", i);
      both(f, "5 %d\n", i);
      both(f, "6 %d\n", i);
      both(f, "7 %d\n", i);
      both(f, "8 %d\n", i);
      if (i % 500 == 0) both(f, "[%s]\n", huge.c_str());
    }
    both(f,
         "%d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d "
         "%d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d|%s|a long literal tail, "
         "longer than one piece of text and then some\n",
         1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25,
         26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, huge.c_str());
  }
  EXPECT_EQ(written(), want);
}

TEST_F(out_file_test, UnopenedFileIsReportedAndIgnored) {
  testing::internal::CaptureStderr();
  {
    out_file f("prog", "build_init", "/nonexistent/dir/Init");
    EXPECT_FALSE(f.is_open());
    f.print("%s\n", "dropped");
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "prog: build_init: fopen(/nonexistent/dir/Init) No such file or directory\n");
}

}  // namespace
