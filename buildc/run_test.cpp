// The run under a failed allocation: a path that cannot be formed ends it at once. This
// file defines make_path's allocator, so the library's own is not linked in: it runs as a
// test program of its own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "buildc/buildc.h"
#include "buildc/package.h"
#include "libcfg/libcfg.h"

namespace fs = std::filesystem;

namespace {

// Allocations so far, and the one that fails (0: none): this program's allocator has no
// caller to take them from.
int alloc_calls;
int failing_call;

}  // namespace

void* path_alloc(std::size_t size) {
  return ++alloc_calls == failing_call ? nullptr : std::malloc(size);
}

namespace {

// A path that cannot be formed ends the run at once: the files of earlier rows stand, no
// later row runs. The invocation cases are golden cases of the real program.
TEST(Run, PathFailureEndsTheRun) {
  // Calls 1 and 2 form the paths of "cfg" and "par", then one call per package file:
  // {failing call, files written}.
  const int cases[][2] = {{1, 0}, {2, 0}, {3, 0}, {4, 1}, {5, 2}, {6, 3}, {7, 4}, {8, 5}, {0, 6}};
  const fs::path dir = fs::temp_directory_path() / ("run_test_" + std::to_string(getpid()));
  const std::string prog = (dir / "buildc").string();
  for (const auto& [failing, written] : cases) {
    fs::remove_all(dir);
    fs::create_directory(dir);
    std::ofstream(dir / "cfg") << "pkg kdz\ntype bd8\ncan_dce yes\n";
    std::ofstream(dir / "par") << "mode i\ntype bd8\n";
    alloc_calls = 0;
    failing_call = failing;
    testing::internal::CaptureStderr();
    const int status = run(beside_program(prog.c_str()), {});
    const std::string err = testing::internal::GetCapturedStderr();
    const bool completes = written == PKG_FILES;
    EXPECT_EQ(status, completes ? 0 : 1) << "failing call " << failing;
    std::string want = completes ? "" : prog + ": make_path: malloc() : no memory\n";
    // A catalog that cannot be had, for whatever reason, is followed by where it was sought.
    if (failing == 1)
      want += prog + ": the board catalog cfg is looked for in " + dir.string() + "\n";
    EXPECT_EQ(err, want);
    for (int i = 0; i < PKG_FILES; ++i) {
      const char* name = package_files[i].name;
      EXPECT_EQ(fs::exists(dir / name), i < written) << name << ", call " << failing;
    }
  }
  fs::remove_all(dir);
}

}  // namespace
