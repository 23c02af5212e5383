// The editor's end-to-end cases: each folder's "cfg" and "par" are staged beside editpar in a
// fresh directory, editpar runs there with the folder's "args" and typed "answers", and what
// it prints, its status and the "par" it leaves must be the folder's.
//
// Expected: "out" (standard output), "err" (standard error, empty when absent), "status"
// (0 when absent) and "par.out" (the written "par"; when absent, "par" must be as it was, or
// still absent); no other file may appear.
#include <gtest/gtest.h>

#include "tests/golden.h"

namespace {

using namespace golden;

class Dialogue : public testing::TestWithParam<std::string> {};

TEST_P(Dialogue, Run) {
  const fs::path src = fs::path(CASES_DIR) / GetParam();
  const fs::path top = scratch("editpar_" + GetParam());
  const fs::path dir = top / "dir";
  fs::create_directories(dir);
  for (const char* f : {"cfg", "par"}) {
    if (fs::exists(src / f)) fs::copy_file(src / f, dir / f);
  }
  std::vector<std::string> argv = words_of(read_file(src / "args"));
  argv.insert(argv.begin(), "./editpar");
  run_spec run_it;
  run_it.exe = EDITPAR_BIN;
  run_it.argv = argv;
  run_it.cwd = dir;
  if (fs::exists(src / "answers")) run_it.in = src / "answers";
  run_it.out = top / "out";
  run_it.err = top / "err";

  EXPECT_EQ(run(run_it), std::stoi(read_file(src / "status", "0")));
  EXPECT_EQ(read_file(top / "out"), read_file(src / "out"));
  EXPECT_EQ(read_file(top / "err"), read_file(src / "err"));
  const fs::path want = fs::exists(src / "par.out") ? src / "par.out" : src / "par";
  EXPECT_EQ(fs::exists(dir / "par"), fs::exists(want));
  EXPECT_EQ(read_file(dir / "par"), read_file(want));
  for (const auto& e : fs::directory_iterator(dir)) {  // "par" is the only file it writes
    const std::string name = e.path().filename().string();
    EXPECT_TRUE(name == "cfg" || name == "par") << name;
  }
  if (!HasFailure()) fs::remove_all(top);
}

INSTANTIATE_TEST_SUITE_P(Cases, Dialogue, testing::ValuesIn(case_names(CASES_DIR)),
                         [](const auto& info) { return info.param; });

}  // namespace
