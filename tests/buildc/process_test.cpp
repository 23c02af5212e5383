// buildc among other processes: two runs at once in one directory follow each other, a
// run waits while another writer holds the package's lock (also when "cfg" is replaced
// meanwhile) and then changes nothing (an open editor is tried in
// tests/editpar/process_test.cpp); and what it says `editpar -c` would find is what
// `editpar -c` finds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <thread>

#include "tests/golden.h"

namespace {

using namespace golden;

// A case whose old "Init" and "dces" differ from what a run writes: every run that is the
// first changes both, keeping the old ones as ".old".
fs::path carried_case() {
  return fs::path(CASES_DIR) / "carried_over";
}

// A package directory `dir` holding the case's inputs and a copy of buildc.
void stage(const fs::path& dir, const fs::path& src = carried_case()) {
  fs::create_directories(dir);
  fs::copy(src / "in", dir, fs::copy_options::recursive);
  fs::copy_file(BUILDC_PATH, dir / "buildc");
}

// Starts "./buildc" in `dir` once the pipe `go` is closed, its output thrown away.
pid_t start_buildc(const fs::path& dir, const int (&go)[2]) {
  const pid_t pid = fork();
  if (pid == 0) {
    close(go[1]);
    char byte = 0;
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    if (read(go[0], &byte, 1) >= 0 && chdir(dir.c_str()) == 0) {
      execl("./buildc", "./buildc", nullptr);
    }
    _exit(127);
  }
  return pid;
}

// The exit status of `pid`, or -1 when it did not exit by itself.
int status_of(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(TwoRuns, TheSecondFindsItsFilesCurrent) {
  const fs::path carried = carried_case();
  const fs::path top = scratch("two_runs");
  for (int trial = 0; trial < 20; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    const fs::path dir = top / std::to_string(trial);
    stage(dir);
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    const pid_t first = start_buildc(dir, go);
    const pid_t second = start_buildc(dir, go);
    close(go[0]);
    close(go[1]);  // both read the end of the pipe at once, and start
    EXPECT_EQ(status_of(first), 0);
    EXPECT_EQ(status_of(second), 0);
    for (const char* name : {"Init", "dces"}) {
      EXPECT_EQ(read_file(dir / name), read_file(carried / "out" / name)) << name;
      // The version before both runs, never the one the other run had just written.
      EXPECT_EQ(read_file(dir / (std::string(name) + ".old")), read_file(carried / "in" / name))
          << name;
    }
  }
  if (!HasFailure()) clean(top);
}

// The test stands for a first run: it holds the writers' lock and writes what that run
// would, while "cfg" is replaced as `sed -i` replaces it (a new file renamed over it). A second
// run waits all the same, then changes nothing.
TEST(TwoRuns, ARunWaitsForTheLockThenChangesNothing) {
  const fs::path carried = carried_case();
  const fs::path top = scratch("held_lock");
  const fs::path dir = top / "dir";
  stage(dir);
  // Not inherited: a lock is the open file's, and buildc must not hold it too.
  const int held = open((dir / ".kdz-lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  const run_plan sed{"/bin/sed",  {"sed", "-i", "s/^pkg /pkg /", "cfg"},
                     dir,         "/dev/null",
                     top / "out", top / "err"};
  ASSERT_EQ(run(sed), 0);
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  const pid_t second = start_buildc(dir, go);
  close(go[0]);
  close(go[1]);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(waitpid(second, nullptr, WNOHANG), 0) << "did not wait";
  EXPECT_FALSE(fs::exists(dir / "kdzspc.h")) << "wrote while the lock was held";
  for (const auto& e : fs::directory_iterator(carried / "out")) {
    fs::copy_file(e.path(), dir / e.path().filename(), fs::copy_options::overwrite_existing);
  }
  age(dir);
  const tree before = snapshot(dir);
  close(held);
  EXPECT_EQ(status_of(second), 0);
  for (const auto& broken : broken_promises(before, snapshot(dir))) ADD_FAILURE() << broken;
  EXPECT_EQ(snapshot(dir).size(), before.size());
  if (!HasFailure()) clean(top);
}

// Without flock the writers' lock is a file made O_EXCL: a run makes it and removes it again;
// one that a killed run left is waited on for 10 s, then named, status 1, nothing written.
TEST(NoFlock, TheHeldFileIsTheLock) {
  const fs::path top = scratch("no_flock"), dir = top / "dir";
  for (const bool stale : {false, true}) {
    clean(dir);
    stage(dir);
    fs::copy_file(BUILDC_NO_LOCKS, dir / "buildc", fs::copy_options::overwrite_existing);
    std::ofstream(dir / ".kdz-lock");
    if (stale) std::ofstream(dir / ".kdz-lock.held") << "4711\n";
    const run_plan plan{dir / "buildc", {"./buildc"}, dir, "/dev/null", top / "out", top / "err"};
    EXPECT_EQ(run(plan), stale ? 1 : 0);
    EXPECT_EQ(read_file(top / "err"),
              stale ? "./buildc: ./.kdz-lock.held is held: if no buildc or editpar is running, "
                      "remove it\n"
                    : "./buildc: warning: editpar -c finds 4 problem(s) in this set\n");
    EXPECT_EQ(fs::exists(dir / "kdzspc.h"), !stale);
    EXPECT_EQ(fs::exists(dir / ".kdz-lock.held"), stale);
  }
  if (!HasFailure()) clean(top);
}

// The number buildc gives is the number of lines `editpar -c` prints over the same files:
// one per finding and per warning of the readers.
TEST(FindingsCount, IsWhatTheCheckReports) {
  const char* const cases[] = {
      "carried_over",     "eight_boards_all_carried",   "four_boards_16port",
      "io_address_edges", "mode_and_bus_unset",         "crlf_catalog_forced",
      "typical",          "dces_of_a_board_without_dce"};
  const std::regex count("finds ([0-9]+) problem");
  for (const char* name : cases) {
    const fs::path src = fs::path(CASES_DIR) / name;
    const fs::path top = scratch(std::string("count_") + name);
    const fs::path dir = top / "dir";
    stage(dir, src);
    run_plan plan{dir / "buildc",
                  words_of(read_file(src / "args", "./buildc")),
                  dir,
                  "/dev/null",
                  top / "out",
                  top / "err"};
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
