// buildc among other processes: two runs at once in one directory follow each other, a
// run waits while another writer holds the package's lock (also when "cfg" is replaced
// meanwhile) and then changes nothing (an open editor is tried in
// tests/editpar/process_test.cpp); and what it says `editpar -c` would find is what
// `editpar -c` finds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <thread>

#include "tests/support/golden.h"

namespace {

using namespace support;

// A case whose old "Init" and "dces" differ from what a run writes: every run that is the
// first changes both, keeping the old ones as ".old".
const fs::path carried = fs::path(CASES_DIR) / "buildc" / "carried_over";

// A package directory `dir` holding the inputs of the case `src` and a copy of buildc.
void stage_case(const fs::path& dir, const fs::path& src = carried) {
  stage(src / "in", dir);
  fs::copy_file(BUILDC_BIN, dir / "buildc");
}

// "./buildc" in `dir`, its output beside `dir`.
run_plan buildc_in(const fs::path& dir) {
  return {dir / "buildc", {"./buildc"}, dir, "/dev/null", dir / "../out", dir / "../err"};
}

TEST(TwoRuns, TheSecondFindsItsFilesCurrent) {
  const fs::path top = scratch("two_runs");
  for (int trial = 0; trial < 20; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    const fs::path dir = top / std::to_string(trial);
    stage_case(dir);
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    started first(buildc_in(dir), gate), second(buildc_in(dir), gate);
    close(gate[0]);
    close(gate[1]);  // both read the end of the pipe at once, and start
    EXPECT_EQ(first.finish(), 0);
    EXPECT_EQ(second.finish(), 0);
    for (const std::string name : {"Init", "dces"}) {
      EXPECT_EQ(read_file(dir / name), read_file(carried / "out" / name)) << name;
      // The version before both runs, never the one the other run had just written.
      EXPECT_EQ(read_file(dir / (name + ".old")), read_file(carried / "in" / name)) << name;
    }
  }
  if (!HasFailure()) clean(top);
}

// The test stands for a first run: it holds the writers' lock and writes what that run
// would, while "cfg" is replaced as `sed -i` replaces it (a new file renamed over it). A second
// run waits all the same, then changes nothing.
TEST(TwoRuns, ARunWaitsForTheLockThenChangesNothing) {
  const fs::path top = scratch("held_lock"), dir = top / "dir";
  stage_case(dir);
  // Not inherited: a lock is the open file's, and buildc must not hold it too.
  const int held = open((dir / ".kdz-lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  const run_plan sed{"/bin/sed",  {"sed", "-i", "s/^pkg /pkg /", "cfg"},
                     dir,         "/dev/null",
                     top / "out", top / "err"};
  ASSERT_EQ(run(sed), 0);
  started second(buildc_in(dir));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(second.running()) << "did not wait";
  EXPECT_FALSE(fs::exists(dir / "kdzspc.h")) << "wrote while the lock was held";
  fs::copy(carried / "out", dir,
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  age(dir);
  const tree before = snapshot(dir);
  close(held);
  EXPECT_EQ(second.finish(), 0);
  for (const auto& broken : broken_promises(before, snapshot(dir))) ADD_FAILURE() << broken;
  EXPECT_EQ(snapshot(dir).size(), before.size());
  if (!HasFailure()) clean(top);
}

// The number buildc gives is the number of lines `editpar -c` prints over the same files:
// one per finding and per warning of the readers.
TEST(FindingsCount, IsWhatTheCheckReports) {
  const std::regex count("finds ([0-9]+) problem");
  for (const char* name :
       {"carried_over", "eight_boards_all_carried", "four_boards_16port", "io_address_edges",
        "mode_and_bus_unset", "crlf_catalog_forced", "typical", "dces_of_a_board_without_dce"}) {
    const fs::path src = fs::path(CASES_DIR) / "buildc" / name;
    const fs::path top = scratch(std::string("count_") + name), dir = top / "dir";
    stage_case(dir, src);
    run_plan plan = buildc_in(dir);
    plan.argv = words_of(read_file(src / "args", "./buildc"));
    EXPECT_EQ(run(plan), 0) << name;
    std::smatch said;
    const std::string err = read_file(top / "err");
    const int buildc_says = std::regex_search(err, said, count) ? std::stoi(said[1]) : 0;

    plan.exe = EDITPAR_BIN;
    plan.argv = {"editpar", "-C", ".", "-c"};
    EXPECT_EQ(run(plan), buildc_says == 0 ? 0 : 1) << name;
    const std::string check = read_file(top / "out");
    EXPECT_EQ(buildc_says, std::count(check.begin(), check.end(), '\n')) << name << "\n" << check;
    if (!HasFailure()) clean(top);
  }
}

}  // namespace
