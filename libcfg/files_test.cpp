// Files read beside the program: what the loaders make of each kind of file in the place
// of one.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "libcfg/libcfg.h"

namespace {

namespace fs = std::filesystem;

// A directory holding a regular file, a directory and a FIFO, removed at the end.
struct scratch {
  std::string dir = (fs::temp_directory_path() / ("files_" + std::to_string(getpid()))).string();
  scratch() {
    fs::remove_all(dir);
    fs::create_directories(dir + "/dir");
    std::ofstream(dir + "/file") << "a00:23:respawn:x\nttya03\n";
    EXPECT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
  }
  ~scratch() { fs::remove_all(dir); }
};

TEST(LoadBeside, StatusAndReportForEachKindOfFile) {
  const scratch s;
  const std::string prog = s.dir + "/prog";
  // clang-format off
  const struct {
    const char* name;
    bool read_fails;  // the reader itself gives up
    status result;
    std::string report;  // after "<prog>: load_x: "
  } cases[] = {
      {"file", false, status::ok, ""},
      {"file", true, status::failed, "read(" + s.dir + "/file) Input/output error\n"},
      {"none", false, status::missing, "fopen(" + s.dir + "/none) No such file or directory\n"},
      {"fifo", false, status::failed, s.dir + "/fifo is not a regular file\n"},
      // A directory opens, and its read fails.
      {"dir", false, status::failed, "read(" + s.dir + "/dir) Is a directory\n"},
  };
  // clang-format on
  for (const auto& c : cases) {
    int reads = 0;
    const auto read = [&](std::FILE* f) {
      ++reads;
      const bool got = std::fgetc(f) != EOF;
      if (c.read_fails) errno = EIO;
      return got && !c.read_fails;
    };
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_beside(beside_program(prog.c_str()), c.name, "load_x", read), c.result)
        << c.name;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, c.report.empty() ? "" : prog + ": load_x: " + c.report) << c.name;
    EXPECT_EQ(reads, c.result == status::ok || c.report.starts_with("read") ? 1 : 0) << c.name;
  }
}

// An old "Init" or "dces" that is missing, a FIFO or a directory leaves the flags clear,
// silently: the flags and lines of an earlier load never survive.
TEST(PortState, OnlyARegularOldFileSetsFlags) {
  const scratch s;
  const std::pair<const char*, std::string> cases[] = {
      {"file", "e 0 d 3@2"}, {"none", "e d"}, {"fifo", "e d"}, {"dir", "e d"}};
  for (const auto& [name, seen] : cases) {
    port_state p{};
    p.enabled.fill(1);
    p.is_dce.fill(1);
    p.dce_lines.fill(9);
    const std::string path = s.dir + "/" + name;
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_init("prog", path.c_str(), p), status::ok);
    EXPECT_EQ(load_dces("prog", path.c_str(), p), status::ok);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    // "e" and the enabled slots, "d" and each slot with a DCE flag or a line.
    std::string flags = "e";
    for (int i = 0; i < PORT_SLOTS; ++i)
      if (p.enabled[i]) flags += " " + std::to_string(i);
    flags += " d";
    for (int i = 0; i < PORT_SLOTS; ++i)
      if (p.is_dce[i] || p.dce_lines[i])
        flags += " " + std::to_string(i) + "@" + std::to_string(p.dce_lines[i]);
    EXPECT_EQ(flags, seen) << name;
  }
}

}  // namespace
