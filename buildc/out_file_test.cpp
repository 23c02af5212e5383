#include "buildc/out_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "buildc/buildc.h"

namespace {

// A file written through out_file beside what the C library makes of the same format.
struct out_file_test : testing::Test {
  std::string path =
      (std::filesystem::temp_directory_path() / ("out_" + std::to_string(getpid()))).string();
  std::string want;

  void TearDown() override { std::filesystem::remove(path); }

  template <format_text F, typename... Args>
  void both(out_file& f, Args... args) {
    f.print<F>(args...);
    std::string line(std::snprintf(nullptr, 0, F.s, args...) + 1, '\0');
    std::snprintf(line.data(), line.size(), F.s, args...);
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
    for (int v : decimals) both<"[%d|%1d|%01d]\n">(f, v, v, v);
    const unsigned hexes[] = {0, 9, 10, 0x3f8, 0xffffffff};
    for (unsigned v : hexes) both<"0x%x 0x%lx\n">(f, v, static_cast<unsigned long>(v) << 32 | v);
    both<"%s%s|%c%%%c|%s\n">(f, "", "kdzmux", 'a', 'f', "respawn");
    both<"%%d %%s %d%%\n">(f, 100);
    both<"%s">(f, "no newline at the end");
  }
  EXPECT_EQ(written(), want);
}

// Lines across many blocks, and strings longer than a block.
TEST_F(out_file_test, LongRuns) {
  const std::string copy(255, 'c');
  const std::string huge(10000, 'h');
  {
    out_file f("prog", "test", path.c_str());
    for (int i = 0; i < 2000; ++i) {
      both<init_format>(f, 'a', i % 8, port_name[i % 16], i % 3 ? "respawn" : "off", 'a', i % 8,
                        port_name[i % 16]);
      both<node_format>(f, "kdzmux", 'A', i % 8, port_name[i % 16], i);
      both<"#define KDZ_COPY \"%s\"\n">(f, copy.c_str());
      if (i % 500 == 0) both<"[%s]\n">(f, huge.c_str());
    }
  }
  EXPECT_EQ(written(), want);
}

TEST_F(out_file_test, UnopenedFileIsReportedAndIgnored) {
  testing::internal::CaptureStderr();
  {
    out_file f("prog", "build_init", "/nonexistent/dir/Init");
    EXPECT_FALSE(f.is_open());
    f.print<"%s\n">("dropped");
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "prog: build_init: fopen(/nonexistent/dir/Init) No such file or directory\n");
}

}  // namespace
