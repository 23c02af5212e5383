// The editor's end-to-end cases: each folder's "cfg", "par" and "dces" are staged beside
// editpar in a fresh directory, with the faults its "setup" names; editpar runs there with the
// folder's "args" and typed "answers", and what it prints, its status and the "par" it leaves must
// be the folder's.
//
// Expected: "out" (standard output), "err" (standard error, empty when absent), "status"
// (0 when absent) and "par.out" (the written "par"; when absent, "par" must be as it was, or
// still absent). A "par" replaced by other bytes leaves its previous version in "par.old";
// no other file may appear, and none may change its kind or bits or be rewritten unchanged.
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
  for (const char* f : {"cfg", "par", "dces"}) {
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
  ASSERT_TRUE(set_up(read_file(src / "setup"), dir, run_it));
  age(dir);
  const tree before = snapshot(dir);

  EXPECT_EQ(run(run_it), std::stoi(read_file(src / "status", "0")));
  if (run_it.out == top / "out") {
    EXPECT_EQ(read_file(top / "out"), read_file(src / "out"));
  }
  EXPECT_EQ(read_file(top / "err"), read_file(src / "err"));

  const tree after = snapshot(dir);
  for (const auto& broken : broken_promises(before, after)) ADD_FAILURE() << broken;
  // "par" as written, or as it was (also when it was absent, or not a file).
  const bool written = fs::exists(src / "par.out");
  const auto par = before.find("par");
  const bool had = par != before.end();
  const std::string want = written ? read_file(src / "par.out") : had ? par->second.bytes : "";
  EXPECT_EQ(after.count("par") != 0, written || had);
  EXPECT_EQ(after.count("par") != 0 ? after.at("par").bytes : "", want);
  const bool replaced = written && had && par->second.bytes != want;
  if (replaced) {
    EXPECT_EQ(read_file(dir / "par.old"), par->second.bytes);
  }
  for (const auto& [name, e] : after) {
    const bool expected =
        before.count(name) != 0 || (name == "par" && written) || (name == "par.old" && replaced);
    EXPECT_TRUE(expected) << name << " appeared";
  }
  if (!HasFailure()) clean(top);
}

INSTANTIATE_TEST_SUITE_P(Cases, Dialogue, testing::ValuesIn(case_names(CASES_DIR)),
                         [](const auto& info) { return info.param; });

}  // namespace
