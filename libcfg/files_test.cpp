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

// The flags a port state holds: "e" and the enabled slots, "d" and each slot with a DCE
// flag or a line.
std::string flags_of(const port_state& p) {
  std::string flags = "e";
  for (int i = 0; i < PORT_SLOTS; ++i)
    if (p.enabled[i]) flags += " " + std::to_string(i);
  flags += " d";
  for (int i = 0; i < PORT_SLOTS; ++i)
    if (p.is_dce[i] || p.dce_lines[i])
      flags += " " + std::to_string(i) + "@" + std::to_string(p.dce_lines[i]);
  return flags;
}

// An old "Init" or "dces" sets flags only when it is a regular file read whole; a missing
// one is silent, and one that exists but cannot be read is reported and fails the load.
// Either way the flags and lines of an earlier load never survive.
TEST(PortState, OnlyARegularOldFileSetsFlags) {
  const scratch s;
  const struct {
    std::string path;
    status result;
    old_read quiet;      // what the check's silent reading of "dces" makes of it
    std::string report;  // after "prog: load_init: " (and "load_dces")
    const char* seen;
  } cases[] = {
      {s.dir + "/file", status::ok, old_read::read, "", "e 0 d 3@2"},
      {s.dir + "/none", status::missing, old_read::missing, "", "e d"},
      {s.dir + "/fifo", status::failed, old_read::not_regular,
       s.dir + "/fifo is not a regular file", "e d"},
      {s.dir + "/dir", status::failed, old_read::not_regular, s.dir + "/dir is not a regular file",
       "e d"},
      // A regular file whose first read fails.
      {"/proc/self/mem", status::failed, old_read::read_failed,
       "read(/proc/self/mem) Input/output error", "e d"},
  };
  for (const auto& c : cases) {
    port_state p{};
    const auto dirty = [&p] {
      p.enabled.fill(1);
      p.is_dce.fill(1);
      p.dce_lines.fill(9);
    };
    dirty();
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_init("prog", c.path.c_str(), p), c.result) << c.path;
    EXPECT_EQ(load_dces("prog", c.path.c_str(), p), c.result) << c.path;
    const std::string want =
        c.report.empty() ? ""
                         : "prog: load_init: " + c.report + "\nprog: load_dces: " + c.report + "\n";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), want) << c.path;
    EXPECT_EQ(flags_of(p), c.seen) << c.path;

    // The silent reading of "dces" leaves the Init flags as they were.
    const auto init_flags = p.enabled;
    dirty();
    p.enabled = init_flags;
    testing::internal::CaptureStderr();
    EXPECT_EQ(read_old_dces(c.path.c_str(), p), c.quiet) << c.path;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c.path;
    EXPECT_EQ(flags_of(p), c.seen) << c.path;
  }
}

// Which lines of an old "Init" and "dces" set a flag, read as fgets would read them: a
// line's text must reach the positions compared, without a newline or NUL byte there.
TEST(PortState, LinesThatSetFlags) {
  using s = std::string;
  const s filler = s(4095 - 13, '#') + "\n";  // a block's first 4083 bytes
  const struct {
    bool init;  // read as "Init", else as "dces"
    std::string text;
    const char* seen;
  } cases[] = {
      {true, "a00:23:respawn:/etc/getty ttya00 9600\n", "e 0 d"},
      {true, "A1f:23:respawn\nA1e:23:off\n", "e 159 d"},
      {true, "a00:23:respawn", "e 0 d"},
      {true, "a00:23:respaw\na01:23:RESPAWN\n", "e d"},
      {true, s("a0\0:23:respawn\n", 15) + s("a01:2\0:respawn\n", 15), "e d"},
      // A line longer than 255 characters is read in pieces, and each piece is matched.
      {true, s(255, 'x') + "a01:23:respawn\n", "e 1 d"},
      // A line that ends where the block read ends: nothing past it is compared.
      {true, filler + "a00:23:respa\n", "e d"},
      {false, "ttya03\nttyA12\nttya03\n", "e d 3@1 146@2"},
      {false,
       "tty\nttya0\nttya0\n\n" + s("ttya\0"
                                   "3\n",
                                   7),
       "e d"},
      {false, "# DCE lines\nttya0f", "e d 15@2"},
      // A line that runs from one block into the next.
      {false, s(4092, '#') + "\nttyA05\n", "e d 133@2"},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    const file_ptr f(fmemopen(text.data(), text.size(), "r"));
    port_state p{};
    EXPECT_TRUE(c.init ? read_init_flags(f.get(), p) : read_dce_flags(f.get(), p));
    EXPECT_EQ(flags_of(p), c.seen) << text.substr(text.size() > 40 ? text.size() - 40 : 0);
  }
}

}  // namespace
