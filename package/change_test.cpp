// A change of the package's files: finished from its record however far a killed run got,
// signals held while it is made, and what killed runs left swept by its form alone. Kills of
// the real programs at each system call are tried in tests/kill_test.cpp, the failures of a
// change by the golden cases and edit/session_test.cpp.
#include "package/change.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/files.h"
#include "package/locks.h"
#include "tests/support/files.h"

namespace kdz {

namespace {

namespace fs = std::filesystem;
using support::read_file;
using support::scratch;
using support::write_file;

using files = std::map<std::string, std::string>;

// Every entry of `dir` with its bytes.
files listing(const fs::path& dir) {
  files names;
  for (const auto& e : fs::directory_iterator(dir)) {
    names[e.path().filename()] = e.is_directory() ? "<dir>" : read_file(e.path());
  }
  return names;
}

TEST(SweepStaging, OnlyTheStagingForm) {
  const struct {
    const char* name;
    bool swept;
  } cases[] = {
      {".par.kdz-4711-0", true},      {".Init.old.kdz-1-12", true},
      {"..kdz-change.kdz-5-0", true}, {".par.old.20240501", false},
      {".par.20240501-1", false},     {".par.4711-1", false},
      {".par.kdz-4711", false},       {".par.kdz-4711-", false},
      {".par.kdz-x-1", false},        {"par.kdz-4711-0", false},
      {".kdz-4711-0", false},         {".par.kdz-4711-0.bak", false},
      {".kdz-lock", false},           {".kdz-lock.held", false},
      {".kdz-change", false},         {".par.kdz-12345678901-0", false},
  };
  const fs::path pkg = scratch("sweep");
  for (const auto& c : cases) write_file(pkg / c.name, "x\n");
  sweep_staging(in_directory(pkg.c_str()));
  for (const auto& c : cases) EXPECT_EQ(fs::exists(pkg / c.name), !c.swept) << c.name;
  support::clean(pkg);
}

// A change as a killed run left it once its record was decided: "X" replaced by a rename with
// its previous version linked, "L" (two names) copied in place, "P" in another directory.
struct decided {
  fs::path top, pkg;
  std::vector<std::pair<std::string, std::string>> lines;  // as recorded
  explicit decided(const char* name) : top(scratch(name)), pkg(top / "pkg") {
    write_file(pkg / "X", "old X\n");
    write_file(pkg / "X.old", "older X\n");  // a previous version with a name of its own
    fs::create_hard_link(pkg / "X.old", pkg / "X.old.link");
    write_file(pkg / "L", "old L\n");
    fs::create_hard_link(pkg / "L", pkg / "L.link");
    write_file(top / "elsewhere" / "P", "old P\n");
    write_file(pkg / ".X.kdz-9-0", "new X\n");
    fs::create_hard_link(pkg / "X", pkg / ".X.old.kdz-9-1");
    write_file(pkg / ".L.kdz-9-2", "new L, longer\n");
    write_file(top / "elsewhere" / ".P.kdz-9-3", "new P\n");
    const std::string p = fs::canonical(top / "elsewhere").string();
    // clang-format off
    lines = {{".X.kdz-9-0", "X"}, {".X.old.kdz-9-1", "X.old"}, {".L.kdz-9-2", "L"},
             {p + "/.P.kdz-9-3", p + "/P"}};
    // clang-format on
  }
  // Carries out the first `count` lines as a run does before it is killed.
  void carry_out(std::size_t count) const {
    for (std::size_t k = 0; k < count; ++k) {
      const fs::path from = pkg / lines[k].first, to = pkg / lines[k].second;  // absolute stay
      if (lines[k].second != "L") fs::rename(from, to);
      if (lines[k].second == "L") write_file(to, read_file(from));
      fs::remove(from);
    }
  }
  void record(std::size_t count, bool with_end) const {
    std::string text;
    for (std::size_t k = 0; k < count; ++k) text += lines[k].first + " " + lines[k].second + "\n";
    write_file(pkg / ".kdz-change", text + (with_end ? "end\n" : ""));
  }
};

// However many lines a killed run carried out, finishing the record once or twice leaves
// the change whole: "X" new and "X.old" the old one (two files; the older one's other
// name kept), "L" new under both its names, "P" new, no staging name and no record left.
TEST(FinishChange, FromAnyPointAndAgain) {
  for (std::size_t done = 0; done <= 4; ++done) {
    for (int times = 1; times <= 2; ++times) {
      SCOPED_TRACE("lines done " + std::to_string(done) + ", finished " + std::to_string(times));
      const decided d("finish");
      std::string names;
      std::size_t failed = 0;
      d.record(4, true);
      d.carry_out(done);
      for (int t = 0; t < times; ++t)
        ASSERT_TRUE(finish_change(in_directory(d.pkg.c_str()), false, names, failed).ok());
      if (done == 0 && times == 1) {
        EXPECT_EQ(names, "X X.old L P");
      }
      // clang-format off
      EXPECT_EQ(listing(d.pkg), (files{{"X", "new X\n"}, {"X.old", "old X\n"},
          {"X.old.link", "older X\n"}, {"L", "new L, longer\n"}, {"L.link", "new L, longer\n"}}));
      // clang-format on
      EXPECT_EQ(listing(d.top / "elsewhere"), (files{{"P", "new P\n"}}));
      support::clean(d.top);
    }
  }
}

// SIGINT, SIGTERM and SIGHUP wait until a change is made: a run stopped by one leaves its
// files whole and nothing of the change beside them.
TEST(MakeChange, SignalsWaitForTheChange) {
  const fs::path pkg = scratch("signals");
  const std::string versions[2] = {std::string(200000, 'a'), std::string(150000, 'b') + "\n"};
  write_file(pkg / "Init", versions[1]);
  const int signals[] = {SIGINT, SIGTERM, SIGHUP};
  for (int round = 0; round < 15; ++round) {
    const pid_t pid = fork();
    if (pid == 0) {
      package_lock lock;
      for (int i = 0;; ++i) {
        (void)make_change(in_directory(pkg.c_str()), lock,
                          {{"f", (pkg / "Init").string(), versions[i % 2], true}});
      }
    }
    usleep(static_cast<useconds_t>(500 + 700 * round));
    kill(pid, signals[round % 3]);
    ASSERT_EQ(waitpid(pid, nullptr, 0), pid);
    auto now = listing(pkg);
    now.erase(".kdz-lock");
    now.erase("Init.old");
    EXPECT_EQ(now.size(), 1u) << "round " << round;
    EXPECT_TRUE(now["Init"] == versions[0] || now["Init"] == versions[1]) << "round " << round;
  }
  support::clean(pkg);
}

}  // namespace

}  // namespace kdz
