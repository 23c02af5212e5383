// Runs killed at each system call that writes: `editpar -d 1` (three boards, lines of each
// in Init and dces, "par" of two names) and buildc (every file changing, "Init" of two names),
// as their case folders stage them, are killed at the Nth call of one name by strace's fault
// injection, then buildc runs once. The package must then be as it was before the killed run or as
// the whole run leaves it, never a mix. The test command tries every tenth point of each call and
// those around the record's rename; KDZ_KILL_POINTS=all (scripts/harden.sh) tries every one. The
// whole run's trace also shows the order of its flushes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "tests/support/golden.h"

namespace {

using namespace support;

// The calls that write, one injection each.
const char* const write_calls[] = {"openat", "write",    "pwrite64",  "fsync",    "fdatasync",
                                   "link",   "linkat",   "rename",    "renameat", "renameat2",
                                   "unlink", "unlinkat", "ftruncate", "fallocate"};

// Copies the package directory `from` to `to`, made afresh, with its hard links.
void copy_package(const fs::path& from, const fs::path& to) {
  fs::remove_all(to);
  const std::vector<std::string> cp{"cp", "-a", from.string(), to.string()};
  EXPECT_EQ(run({"/bin/cp", cp, "/", "/dev/null", "/dev/null", "/dev/null"}), 0);
}

// The files of a package directory by name, the lock file aside.
using file_set = std::map<std::string, std::string>;
file_set files_of(const fs::path& dir) {
  file_set files;
  for (const auto& [name, e] : snapshot(dir)) {
    if (name != ".kdz-lock") files[name] = e.kind == 'f' ? e.bytes : std::string(1, e.kind);
  }
  return files;
}

// A run of `exe` with `args` in the package directory `dir` (as -C DIR), under `strace`
// with the words `trace` before it when given; its status.
int run_in(const fs::path& dir, const std::string& exe, std::vector<std::string> args,
           const std::vector<std::string>& trace = {}) {
  args.insert(args.begin(), {exe, "-C", dir.string()});
  if (!trace.empty()) args.insert(args.begin(), trace.begin(), trace.end());
  // A sanitizer build's leak check cannot run under ptrace: the other tests make it.
  const std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
  if (!asan.ends_with(":detect_leaks=0"))
    setenv("ASAN_OPTIONS", (asan + ":detect_leaks=0").c_str(), 1);
  return run({trace.empty() ? exe : STRACE_BIN, args, dir, "/dev/null", dir.parent_path() / "out",
              dir.parent_path() / "err"});
}

// A program killed, and the package it works on before, and as buildc leaves it after the
// run was killed before it did anything, or after it ran whole.
struct kill_case {
  std::string exe;
  std::vector<std::string> args;
  fs::path before;   // the package as the killed run finds it
  file_set old_set;  // buildc run on it
  file_set new_set;  // the whole run, then buildc
};

// The case of the folder `program`/`name`: its in/ and setup the package, its call the run.
kill_case make_case(const fs::path& top, const std::string& program, const std::string& name) {
  const fs::path src = fs::path(CASES_DIR) / program / name;
  kill_case c{program == "buildc" ? BUILDC_BIN : EDITPAR_BIN, {}, top / "before", {}, {}};
  stage(src / "in", c.before);
  run_plan unused;
  EXPECT_TRUE(set_up(read_file(src / "setup"), c.before, unused));
  c.args = words_of(read_file(src / "args", "./" + program));
  c.args.erase(c.args.begin());
  for (const bool whole : {false, true}) {
    const fs::path dir = top / (whole ? "whole" : "not_run");
    copy_package(c.before, dir);
    EXPECT_TRUE(!whole || run_in(dir, c.exe, c.args) == 0);
    EXPECT_EQ(run_in(dir, BUILDC_BIN, {}), 0);
    (whole ? c.new_set : c.old_set) = files_of(dir);
  }
  EXPECT_NE(c.old_set, c.new_set);
  return c;
}

// Every new file is flushed before the record is renamed into place, and the directory after
// that rename and after the last one, as the `trace` of a whole run in `work` shows (strace
// -y: each call with the file its descriptor stands for).
void expect_flushes(const std::string& trace, const fs::path& work) {
  const std::string dir = fs::canonical(work).string();
  const std::regex made("O_CREAT.*= [0-9]+<(.*/\\.[^/]*\\.kdz-[0-9]+-[0-9]+)>$");
  const std::regex flushed("^[0-9]+ +f(data)?sync\\([0-9]+<(.*)>\\)");
  std::set<std::string> staged, synced;
  std::vector<std::string> steps;  // "record", "rename", "dir" in the order they came
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (std::regex_search(line, m, made)) staged.insert(m[1]);
    if (std::regex_search(line, m, flushed)) {
      synced.insert(m[2]);
      if (m[2] == dir) steps.emplace_back("dir");
    }
    if (line.find(" rename") == std::string::npos) continue;
    const bool record = line.find(".kdz-change\"") != std::string::npos;
    if (record) {
      for (const std::string& f : staged) EXPECT_TRUE(synced.contains(f)) << f << " not flushed";
    }
    steps.emplace_back(record ? "record" : "rename");
  }
  std::vector<std::string> want(std::max<std::size_t>(steps.size(), 3), "rename");
  want[0] = "record";
  want[1] = want.back() = "dir";
  EXPECT_EQ(steps, want);
}

// The points to try, by call: every one (`all`), or every tenth and those around the
// record's rename (of each call, the last before it and the first after, and the rename
// itself), as strace shows a whole run.
std::map<std::string, std::set<int>> kill_points(const kill_case& c, const fs::path& work,
                                                 bool all) {
  copy_package(c.before, work);
  std::string names = "trace=";
  for (const char* call : write_calls) names += std::string(call) + ",";
  names.pop_back();
  const fs::path log = work.parent_path() / "trace";
  EXPECT_EQ(run_in(work, c.exe, c.args, {"strace", "-f", "-y", "-o", log.string(), "-e", names}),
            0);
  expect_flushes(read_file(log), work);
  std::map<std::string, std::set<int>> points;
  std::map<std::string, int> made, at_record;
  std::istringstream lines(read_file(log));
  const std::regex call("^[0-9]+ +([a-z0-9]+)\\(");
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (!std::regex_search(line, m, call)) continue;
    const int k = ++made[m[1]];
    if (all || k % 10 == 1) points[m[1]].insert(k);
    const bool record =
        m[1].str().starts_with("rename") && line.find(".kdz-change\"") != std::string::npos;
    if (at_record.empty() && record) at_record = made;
  }
  for (const auto& [name, at] : at_record) {
    for (const int k : {at - 1, at, at + 1}) {
      if (k >= 1 && k <= made[name]) points[name].insert(k);
    }
  }
  return points;
}

// Kills the case's run at each point, runs buildc, and judges; the number of points tried.
int try_kill_points(const kill_case& c, const fs::path& top) {
  const bool all = std::getenv("KDZ_KILL_POINTS") != nullptr &&
                   std::string(std::getenv("KDZ_KILL_POINTS")) == "all";
  const fs::path work = top / "work";
  int tried = 0;
  for (const auto& [call, points] : kill_points(c, work, all)) {
    for (const int k : points) {
      copy_package(c.before, work);
      const std::string inject = "inject=" + call + ":signal=KILL:when=" + std::to_string(k);
      const std::string where = call + " #" + std::to_string(k);
      EXPECT_NE(run_in(work, c.exe, c.args, {"strace", "-f", "-o", "/dev/null", "-e", inject}), 0)
          << "not killed at " << where;
      EXPECT_EQ(run_in(work, BUILDC_BIN, {}), 0) << where << ": " << read_file(top / "err");
      const file_set now = files_of(work);
      EXPECT_TRUE(now == c.old_set || now == c.new_set) << "a mix after a kill at " << where;
      ++tried;
    }
  }
  std::cout << "kill points tried: " << tried << "\n";
  return tried;
}

// The folders tests/editpar/delete_with_par_linked and tests/buildc/every_file_changes.
TEST(KillPoints, EditparDeletingABoard) {
  const fs::path top = scratch("kill_editpar");
  EXPECT_GT(try_kill_points(make_case(top, "editpar", "delete_with_par_linked"), top), 0);
  if (!HasFailure()) clean(top);
}

TEST(KillPoints, BuildcChangingEveryFile) {
  const fs::path top = scratch("kill_buildc");
  EXPECT_GT(try_kill_points(make_case(top, "buildc", "every_file_changes"), top), 0);
  if (!HasFailure()) clean(top);
}

}  // namespace
