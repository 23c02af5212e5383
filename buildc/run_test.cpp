// The run under a failed allocation: a path that cannot be formed ends it at once. This
// file defines make_path's allocator, so the library's own is not linked in: it runs as a
// test program of its own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/files.h"
#include "buildc/buildc.h"
#include "package/package_files.h"

namespace kdz {

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

// A path that cannot be formed ends the run at once, before any file is written, with
// status 1. The invocation cases are golden cases of the real program.
TEST(Run, PathFailureEndsTheRun) {
  // Calls 1 and 2 form the paths of "cfg" and "par", calls 3 and 4 those of the old "Init"
  // and "dces", then one call per package file.
  const struct {
    int failing;  // 0: none
    int written;  // package files written, in the table's order
    int status;
  } cases[] = {{1, 0, 1}, {2, 0, 1},  {3, 0, 1},        {4, 0, 1},
               {5, 0, 1}, {10, 0, 1}, {0, PKG_FILES, 0}};
  const fs::path dir = fs::temp_directory_path() / ("run_test_" + std::to_string(getpid()));
  const std::string prog = (dir / "buildc").string();
  for (const auto& c : cases) {
    fs::remove_all(dir);
    fs::create_directory(dir);
    std::ofstream(dir / "cfg") << "mode i\npkg kdz\ntype bd8\ncan_dce yes\nsizes 16\nirqs 5\n";
    std::ofstream(dir / "par") << "mode interrupt\ntype bd8\nsize 16\nirq 5\ndpa d0000\n";
    alloc_calls = 0;
    failing_call = c.failing;
    const run_outcome r = run(beside_program(prog.c_str()), {});
    SCOPED_TRACE(c.failing);
    EXPECT_EQ(exit_status(r), c.status);
    std::vector<std::string> told;
    for (const error& e : r.told) told.push_back(message(e));
    std::vector<std::string> want;
    if (c.failing != 0) want.emplace_back("make_path: malloc() : no memory");
    // A catalog that cannot be had, for whatever reason, is followed by where it was sought.
    if (c.failing == 1) want.push_back("the board catalog cfg is looked for in " + dir.string());
    EXPECT_EQ(told, want);
    for (int i = 0; i < PKG_FILES; ++i)
      EXPECT_EQ(fs::exists(dir / package_files[i].name), i < c.written) << i;
  }
  fs::remove_all(dir);
}

}  // namespace

}  // namespace kdz
