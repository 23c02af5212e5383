// The editor's end-to-end cases: each folder's "cfg", "par" and "dces" are staged beside
// editpar in a fresh directory, with the faults its "setup" names; editpar runs there with the
// folder's "args" and typed "answers", and what it prints, its status and the "par" it leaves must
// be the folder's.
//
// Expected: "out" (standard output), "err" (standard error, empty when absent), "status"
// (0 when absent) and "par.out" (the written "par"; when absent, "par" must be as it was, or
// still absent). A "par" replaced by other bytes leaves its previous version in "par.old".
// "Init" and "dces", staged too, follow the boards a save deleted: "Init.out" and
// "dces.out" are what they must hold then (when absent, their bytes as staged), with the
// previous version in "Init.old" and "dces.old". No other file may appear or go (what a
// killed run left goes after a success), and none may change its kind or bits or be
// rewritten unchanged; the writers' lock file may appear, made by a run that changes a file.
//
// A folder's "in/" holds further files staged with them (a change record, a lock's file).
// A folder with "calls" runs editpar once for each of its lines, as a script would: what
// they print is expected one after the other, their statuses one a line, and "par.old.out"
// is the "par.old" the last change left.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "tests/support/golden.h"

namespace {

using namespace support;

// Rewrites "par.out" when the run wrote "par" (or the folder expected one), and
// "par.old.out" where the folder has one.
void regenerate_par(const tree& before, const tree& after, const fs::path& dir,
                    const fs::path& src) {
  const auto now = after.find("par");
  const auto was = before.find("par");
  if (now == after.end()) return;
  const bool changed = was == before.end() || was->second.bytes != now->second.bytes;
  if (changed || fs::exists(src / "par.out")) expect_file(now->second.bytes, src / "par.out");
  if (fs::exists(src / "par.old.out")) expect_file(read_file(dir / "par.old"), src / "par.old.out");
}

// The files that follow the boards of "par".
constexpr const char* port_files[] = {"Init", "dces"};

// Expects `name` to hold "<name>.out" of the case (its bytes before the run when there is
// none), and its previous version in "<name>.old" when it changed; rewrites "<name>.out"
// when regenerating. Returns whether it changed.
bool expect_follower(const tree& before, const tree& after, const fs::path& src,
                     const std::string& name) {
  const auto was = before.find(name);
  const auto now = after.find(name);
  const std::string old = was != before.end() ? was->second.bytes : "";
  const std::string bytes = now != after.end() ? now->second.bytes : "";
  const fs::path want = src / (name + ".out");
  if (regenerating() && (bytes != old || fs::exists(want))) expect_file(bytes, want);
  EXPECT_EQ(bytes, fs::exists(want) ? read_file(want) : old) << name;
  const bool changed = was != before.end() && bytes != old;
  if (changed) {
    EXPECT_EQ(after.contains(name + ".old") ? after.at(name + ".old").bytes : "", old);
  }
  return changed;
}

class Dialogue : public testing::TestWithParam<std::string> {};

TEST_P(Dialogue, Run) {
  const fs::path src = fs::path(CASES_DIR) / "editpar" / GetParam();
  const fs::path top = scratch("editpar_" + GetParam());
  const fs::path dir = top / "dir";
  fs::create_directories(dir);
  for (const char* f : {"cfg", "par", "dces", "Init"}) {
    if (fs::exists(src / f)) fs::copy_file(src / f, dir / f);
  }
  if (fs::exists(src / "in")) fs::copy(src / "in", dir, fs::copy_options::recursive);
  std::vector<std::string> calls{read_file(src / "args")};
  if (fs::exists(src / "calls")) {
    calls.clear();
    std::istringstream lines(read_file(src / "calls"));
    for (std::string line; std::getline(lines, line);) calls.push_back(line);
  }
  run_plan run_it;
  run_it.exe = EDITPAR_BIN;
  run_it.cwd = dir;
  if (fs::exists(src / "answers")) run_it.in = src / "answers";
  run_it.out = top / "out";
  run_it.err = top / "err";
  ASSERT_TRUE(set_up(read_file(src / "setup"), dir, run_it));
  if (run_it.no_locks) run_it.exe = EDITPAR_NO_LOCKS;
  age(dir);
  const tree before = snapshot(dir);

  std::string out, err, status;
  int last = 0;
  for (const std::string& call : calls) {
    run_it.argv = words_of(call);
    run_it.argv.insert(run_it.argv.begin(), "./editpar");
    last = run(run_it);
    status += std::to_string(last) + "\n";
    out += read_file(top / "out");
    err += read_file(top / "err");
  }
  expect_file(status, src / "status", "0\n");
  if (run_it.out == top / "out") expect_file(masked(out, top), src / "out");
  expect_file(masked(err, top), src / "err");

  const tree after = snapshot(dir);
  for (const auto& broken : broken_promises(before, after)) ADD_FAILURE() << broken;
  // "par" as written, or as it was (also when it was absent, or not a file).
  if (regenerating()) regenerate_par(before, after, dir, src);
  const bool written = fs::exists(src / "par.out");
  const auto par = before.find("par");
  const bool had = par != before.end();
  const std::string want = written ? read_file(src / "par.out") : had ? par->second.bytes : "";
  EXPECT_EQ(after.count("par") != 0, written || had);
  EXPECT_EQ(after.count("par") != 0 ? after.at("par").bytes : "", want);
  const bool replaced = written && had && par->second.bytes != want;
  const bool old_given = fs::exists(src / "par.old.out");
  if (old_given) {
    EXPECT_EQ(read_file(dir / "par.old"), read_file(src / "par.old.out"));
  } else if (replaced) {
    EXPECT_EQ(read_file(dir / "par.old"), par->second.bytes);
  }
  // What was staged stays (what a killed run left goes after a success), and nothing else
  // appears but the files a save writes.
  std::set<std::string> names, have;
  for (const auto& [name, e] : before) names.insert(name);
  expect_run_leftovers(before, after, last, names);
  if (written) names.insert("par");
  if (replaced || old_given) names.insert("par.old");
  for (const char* name : port_files) {
    if (expect_follower(before, after, src, name)) names.insert(name + std::string(".old"));
  }
  for (const auto& [name, e] : after) have.insert(name);
  EXPECT_EQ(have, names);
  if (!HasFailure()) clean(top);
}

INSTANTIATE_TEST_SUITE_P(Cases, Dialogue,
                         testing::ValuesIn(case_names(fs::path(CASES_DIR) / "editpar")),
                         [](const auto& info) { return info.param; });

}  // namespace
