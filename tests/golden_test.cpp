// The case folders of both programs (tests/buildc/, tests/editpar/): each folder's in/ is
// staged in a fresh directory with the faults its "setup" names, beside a copy of the
// program; each call runs there, and the statuses, what they printed and the files left
// must be the folder's ("status", "stdout", "stderr", out/). Every other staged file stays
// as it was; no run may leave a file it did not mean to write (the writers' lock file aside,
// made by a run that changes a file), rewrite a file with the same bytes, or change a
// file's kind or bits; a run that succeeds leaves nothing of what a killed run left.
#include <gtest/gtest.h>

#include <set>

#include "tests/support/golden.h"

namespace {

using namespace support;

// Rewrites the expected files: every file the run created or changed, and every one the
// folder expected before.
void regenerate_out(const tree& before, const tree& after, const fs::path& out) {
  const tree was_expected = snapshot(out);
  for (const auto& [name, e] : after) {
    const auto was = before.find(name);
    const bool changed = was == before.end() || was->second.bytes != e.bytes;
    // An empty file is expected too: written even though it holds nothing.
    if (e.kind == 'f' && !lock_file(name) && (changed || was_expected.contains(name))) {
      write_file(out / name, e.bytes);
    }
  }
  for (const auto& [name, e] : was_expected) {
    if (!after.contains(name)) fs::remove_all(out / name);
  }
}

// Expects the entries of `after` to be those of `before`, as out/ changes them.
void expect_files(const tree& before, const tree& after, const fs::path& out, int status) {
  // The files expected afterwards, and the directories a run made for them.
  const tree want_files = snapshot(out);
  std::set<std::string> want, have;
  for (const auto& [name, e] : before) {
    want.insert(name);
    const auto now = after.find(name);
    if (e.kind == 'f' && !want_files.contains(name) && now != after.end()) {
      EXPECT_EQ(now->second.bytes, e.bytes) << name << " changed";
    }
  }
  for (const auto& [name, e] : want_files) {
    want.insert(name);
    if (e.kind == 'd') continue;
    EXPECT_EQ(after.contains(name) ? after.at(name).bytes : "<absent>", e.bytes) << name;
  }
  expect_run_leftovers(before, after, status, want);
  for (const auto& [name, e] : after) have.insert(name);
  EXPECT_EQ(have, want);
}

class Case : public testing::TestWithParam<std::string> {};

TEST_P(Case, Run) {
  const fs::path src = fs::path(CASES_DIR) / GetParam();
  const fs::path top =
      scratch(src.parent_path().filename().string() + "_" + src.filename().string());
  staged_case c;
  ASSERT_TRUE(stage_case(src, top, c));
  const tree before = snapshot(c.stage);
  const case_result r = run_calls(c);
  expect_file(r.statuses, src / "status", "0\n");
  if (c.plan.out == top / "stdout") expect_file(masked(r.out, top), src / "stdout");
  expect_file(masked(r.err, top), src / "stderr");

  const tree after = snapshot(c.stage);
  if (regenerating()) regenerate_out(before, after, src / "out");
  for (const auto& broken : broken_promises(before, after)) ADD_FAILURE() << broken;
  expect_files(before, after, src / "out", r.last);
  if (!HasFailure()) clean(top);
}

// The folders of `program`, as "program/folder", sorted.
std::vector<std::string> cases_of(const std::string& program) {
  std::set<std::string> paths;
  for (const auto& e : fs::directory_iterator(fs::path(CASES_DIR) / program)) {
    if (e.is_directory()) paths.insert(program + "/" + e.path().filename().string());
  }
  return {paths.begin(), paths.end()};
}

std::string folder_name(const testing::TestParamInfo<std::string>& info) {
  return fs::path(info.param).filename().string();
}

INSTANTIATE_TEST_SUITE_P(buildc, Case, testing::ValuesIn(cases_of("buildc")), folder_name);
INSTANTIATE_TEST_SUITE_P(editpar, Case, testing::ValuesIn(cases_of("editpar")), folder_name);

}  // namespace
