// The generator's end-to-end cases: each folder's in/ is staged beside a copy of buildc in a
// fresh directory, buildc runs there, and its status, stdout, stderr and the files it leaves
// must be the folder's.
#include <gtest/gtest.h>

#include <set>

#include "tests/golden.h"

namespace {

using namespace golden;

std::set<std::string> names_in(const fs::path& dir) {
  std::set<std::string> names;
  if (fs::exists(dir)) {
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  }
  return names;
}

class Golden : public testing::TestWithParam<std::string> {};

TEST_P(Golden, Run) {
  const fs::path src = fs::path(CASES_DIR) / GetParam();
  const fs::path top = scratch("buildc_" + GetParam());
  // "./buildc" unless the case's args file names another path and further words.
  const auto words = words_of(read_file(src / "args", "./buildc"));
  run_spec run_it;
  run_it.argv = words;
  run_it.cwd = top / "cwd";
  run_it.exe = run_it.cwd / words[0];
  run_it.out = top / "stdout";
  run_it.err = top / "stderr";
  const fs::path stage = run_it.exe.parent_path();
  fs::create_directories(stage);
  if (fs::exists(src / "in")) fs::copy(src / "in", stage, fs::copy_options::recursive);
  fs::copy_file(BUILDC_PATH, run_it.exe);

  EXPECT_EQ(run(run_it), std::stoi(read_file(src / "status")));
  EXPECT_EQ(read_file(top / "stdout"), read_file(src / "stdout"));
  EXPECT_EQ(read_file(top / "stderr"), read_file(src / "stderr"));

  // Every expected file as expected, every other staged file unchanged, nothing else.
  std::set<std::string> want = names_in(src / "in");
  for (const auto& name : names_in(src / "out")) {
    EXPECT_EQ(read_file(stage / name), read_file(src / "out" / name)) << name;
    want.insert(name);
  }
  for (const auto& name : names_in(src / "in")) {
    if (!fs::exists(src / "out" / name) && fs::is_regular_file(src / "in" / name)) {
      EXPECT_EQ(read_file(stage / name), read_file(src / "in" / name)) << name << " changed";
    }
  }
  want.insert(run_it.exe.filename().string());
  EXPECT_EQ(names_in(stage), want);
  if (!HasFailure()) fs::remove_all(top);
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, testing::ValuesIn(case_names(CASES_DIR)),
                         [](const auto& info) { return info.param; });

}  // namespace
