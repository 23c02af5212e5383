#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "buildc/buildc.h"
#include "libcfg/libcfg.h"

namespace {

namespace fs = std::filesystem;

int alloc_calls;
int failing_call;

// make_path's allocator, failing at the chosen call.
void* counting_alloc(std::size_t n) {
  return ++alloc_calls == failing_call ? nullptr : std::malloc(n);
}

void write_file(const fs::path& path, const char* text) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  std::fputs(text, f);
  std::fclose(f);
}

// A path that cannot be formed ends the run at once: the files of earlier steps stand,
// no later step runs.
TEST(Run, PathFailureEndsTheRun) {
  const char* const outputs[] = {"kdzspc.h", "System", "Init", "dces", "dtes", "Node"};
  const struct {
    int failing_call;  // calls 1 and 2 form the paths of "cfg" and "par"
    int written;       // how many outputs exist afterwards
  } cases[] = {{1, 0}, {2, 0}, {3, 0}, {4, 1}, {5, 2}, {6, 3}, {7, 4}, {8, 5}, {9, 6}};
  for (const auto& c : cases) {
    const fs::path dir = fs::temp_directory_path() / ("run_test_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directory(dir);
    write_file(dir / "cfg", "pkg kdz\ntype bd8\ncan_dce yes\n");
    write_file(dir / "par", "mode i\ntype bd8\n");
    const std::string prog = (dir / "buildc").string();
    alloc_calls = 0;
    failing_call = c.failing_call;
    path_alloc = counting_alloc;
    testing::internal::CaptureStderr();
    const int status = run(prog.c_str());
    const std::string err = testing::internal::GetCapturedStderr();
    path_alloc = std::malloc;
    const bool completes = c.written == 6;
    EXPECT_EQ(status, completes ? 0 : 1) << "failing call " << c.failing_call;
    EXPECT_EQ(err, completes ? "" : prog + ": make_path: malloc() : no memory\n");
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(fs::exists(dir / outputs[i]), i < c.written)
          << outputs[i] << " with failing call " << c.failing_call;
    }
    fs::remove_all(dir);
  }
}

}  // namespace
