// The generator's end-to-end cases: each folder's in/ is staged beside a copy of buildc in a
// fresh directory, with the faults its "setup" names; buildc runs there, and its status,
// stdout, stderr and the files it leaves must be the folder's. No run may leave a file it
// did not mean to write (the writers' lock file aside, made by a run that changes a file),
// rewrite a file with the same bytes, or change a file's kind or bits; a run that succeeds
// leaves nothing of what a killed run left.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "tests/support/golden.h"

namespace {

using namespace support;

// The files under `dir`, by their paths relative to it.
std::set<std::string> files_in(const fs::path& dir) {
  std::set<std::string> names;
  if (!fs::exists(dir)) return names;
  for (const auto& [name, e] : snapshot(dir)) {
    if (e.kind != 'd') names.insert(name);
  }
  return names;
}

// Rewrites the expected files: every file the run created or changed, and every one the
// folder expected before.
void regenerate_out(const tree& before, const tree& after, const fs::path& out) {
  for (const auto& [name, e] : after) {
    const auto was = before.find(name);
    const bool changed = was == before.end() || was->second.bytes != e.bytes;
    if (e.kind == 'f' && !lock_file(name) && (changed || fs::exists(out / name))) {
      // An empty file is expected too: written even though it holds nothing.
      fs::create_directories((out / name).parent_path());
      std::ofstream(out / name, std::ios::binary) << e.bytes;
    }
  }
  for (const auto& name : files_in(out)) {
    if (after.count(name) == 0) fs::remove(out / name);
  }
}

class Golden : public testing::TestWithParam<std::string> {};

TEST_P(Golden, Run) {
  const fs::path src = fs::path(CASES_DIR) / "buildc" / GetParam();
  const fs::path top = scratch("buildc_" + GetParam());
  // "./buildc" unless the case's args file names another path and further words; an empty
  // one starts buildc without even a program name.
  const auto words = words_of(read_file(src / "args", "./buildc"));
  run_plan run_it;
  run_it.argv = words;
  run_it.cwd = top / "cwd";
  run_it.exe = run_it.cwd / (words.empty() ? "buildc" : words[0]);
  run_it.out = top / "stdout";
  run_it.err = top / "stderr";
  const fs::path stage = run_it.exe.parent_path();
  fs::create_directories(stage);
  if (fs::exists(src / "in")) fs::copy(src / "in", stage, fs::copy_options::recursive);
  fs::copy_file(BUILDC_BIN, run_it.exe);
  ASSERT_TRUE(set_up(read_file(src / "setup"), stage, run_it));
  if (run_it.no_locks) {
    fs::copy_file(BUILDC_NO_LOCKS, run_it.exe, fs::copy_options::overwrite_existing);
  }
  age(stage);
  const tree before = snapshot(stage);

  const int status = run(run_it);
  expect_file(std::to_string(status) + "\n", src / "status");
  if (run_it.out == top / "stdout") {
    expect_file(masked(read_file(top / "stdout"), top), src / "stdout");
  }
  expect_file(masked(read_file(top / "stderr"), top), src / "stderr");

  const tree after = snapshot(stage);
  if (regenerating()) regenerate_out(before, after, src / "out");
  for (const auto& broken : broken_promises(before, after)) ADD_FAILURE() << broken;
  // Every expected file as expected, every other staged file unchanged, nothing else.
  std::set<std::string> want;
  for (const auto& [name, e] : before) want.insert(name);
  for (const auto& name : files_in(src / "out")) {
    EXPECT_EQ(read_file(stage / name), read_file(src / "out" / name)) << name;
    want.insert(name);
    // The directories a run made to hold them (-o DIR).
    for (fs::path d = fs::path(name).parent_path(); !d.empty(); d = d.parent_path()) {
      want.insert(d.string());
    }
  }
  for (const auto& [name, e] : before) {
    const auto now = after.find(name);
    if (e.kind == 'f' && !fs::exists(src / "out" / name) && now != after.end()) {
      EXPECT_EQ(now->second.bytes, e.bytes) << name << " changed";
    }
  }
  expect_run_leftovers(before, after, status, want);
  std::set<std::string> have;
  for (const auto& [name, e] : after) have.insert(name);
  EXPECT_EQ(have, want);
  if (!HasFailure()) clean(top);
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden,
                         testing::ValuesIn(case_names(fs::path(CASES_DIR) / "buildc")),
                         [](const auto& info) { return info.param; });

}  // namespace
