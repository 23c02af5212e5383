// The run's order under a failed allocation: a path that cannot be formed ends it at once.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "buildc/buildc.h"
#include "libcfg/libcfg.h"

namespace fs = std::filesystem;

namespace {

int alloc_calls;
int failing_call;

// make_path's allocator, failing at the chosen call.
void* counting_alloc(std::size_t n) {
  return ++alloc_calls == failing_call ? nullptr : std::malloc(n);
}

// A path that cannot be formed ends the run at once: the files of earlier steps stand,
// no later step runs. The invocation cases are golden cases of the real program.
TEST(Run, PathFailureEndsTheRun) {
  const char* const outputs[] = {"kdzspc.h", "System", "Init", "dces", "dtes", "Node"};
  // Calls 1 and 2 form the paths of "cfg" and "par"; {failing call, outputs written}.
  const int cases[][2] = {{1, 0}, {2, 0}, {3, 0}, {4, 1}, {5, 2}, {6, 3}, {7, 4}, {8, 5}, {9, 6}};
  const fs::path dir = fs::temp_directory_path() / ("run_test_" + std::to_string(getpid()));
  const std::string prog = (dir / "buildc").string();
  for (const auto& [failing, written] : cases) {
    fs::remove_all(dir);
    fs::create_directory(dir);
    std::ofstream(dir / "cfg") << "pkg kdz\ntype bd8\ncan_dce yes\n";
    std::ofstream(dir / "par") << "mode i\ntype bd8\n";
    alloc_calls = 0;
    failing_call = failing;
    path_alloc = counting_alloc;
    testing::internal::CaptureStderr();
    const int status = run(prog.c_str());
    const std::string err = testing::internal::GetCapturedStderr();
    path_alloc = std::malloc;
    const bool completes = written == 6;
    EXPECT_EQ(status, completes ? 0 : 1) << "failing call " << failing;
    EXPECT_EQ(err, completes ? "" : prog + ": make_path: malloc() : no memory\n");
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(fs::exists(dir / outputs[i]), i < written) << outputs[i] << ", call " << failing;
    }
  }
  fs::remove_all(dir);
}

}  // namespace
