// Replacing files: staged and dropped, staged and placed as a group, failing part way, and
// stopped by signals. Whatever happens, a file holds its old contents or its new ones,
// whole, no temporary file is left beside it, and a file and its ".old" copy stay two files.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "base/files.h"
#include "base/replace_file.h"

namespace kdz {

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

// A scratch directory of this test, made empty.
fs::path scratch(const char* name) {
  fs::path dir = fs::temp_directory_path() / (std::string(name) + "_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// What a directory shows: each name with its bytes, inode and number of links.
struct seen {
  std::string bytes;
  ino_t ino;
  nlink_t links;
  bool operator==(const seen&) const = default;
};
std::map<std::string, seen> listing(const fs::path& dir) {
  std::map<std::string, seen> names;
  for (const auto& e : fs::directory_iterator(dir)) {
    struct stat st {};
    lstat(e.path().c_str(), &st);
    const std::string bytes = S_ISREG(st.st_mode) ? read_file(e.path()) : "";  // a FIFO waits
    names[e.path().filename().string()] = {bytes, st.st_ino, st.st_nlink};
  }
  return names;
}

bool sigint_held() {
  sigset_t now;
  sigprocmask(SIG_BLOCK, nullptr, &now);
  return sigismember(&now, SIGINT) == 1;
}

// The files a save of the editor replaces as one group, in the order they are placed.
constexpr const char* group[] = {"par", "Init", "dces"};

// A directory holding each file of the group with "old NAME\n", and the new contents.
fs::path group_dir(const char* test) {
  fs::path dir = scratch(test);
  for (const char* name : group) write_file(dir / name, std::string("old ") + name + "\n");
  return dir;
}
std::string new_text(const char* name) {
  return std::string("new ") + name + " contents\n";
}

TEST(StageFile, DroppedLeavesTheDirectoryAsItWas) {
  const struct {
    const char* name;
    std::function<void(const fs::path&)> set_up;  // what stands at "X" before
  } cases[] = {
      {"absent", [](const fs::path&) {}},
      {"plain", [](const fs::path& d) { write_file(d / "X", "old\n"); }},
      {"hard-linked, rewritten in place",
       [](const fs::path& d) {
         write_file(d / "X", "old\n");
         fs::create_hard_link(d / "X", d / "Y");
       }},
      {"a symbolic link",
       [](const fs::path& d) {
         write_file(d / "T", "old\n");
         fs::create_symlink("T", d / "X");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path dir = scratch("stage_drop");
    c.set_up(dir);
    const auto before = listing(dir);
    {
      staged_file staged;
      ASSERT_TRUE(stage_file("f", (dir / "X").c_str(), "new\n", KEEP_OLD | SYNC, staged).ok());
      EXPECT_TRUE(staged.pending());
      EXPECT_TRUE(sigint_held());
      staged_file moved = std::move(staged);  // the one that is dropped
      EXPECT_TRUE(moved.pending());
    }
    EXPECT_EQ(listing(dir), before);
    EXPECT_FALSE(sigint_held());
    fs::remove_all(dir);
  }
}

// Stages the group, all or nothing: a failure drops what was staged. Then places it.
error stage_group(const fs::path& dir) {
  staged_file staged[3];
  for (int i = 0; i < 3; ++i) {
    const std::string path = (dir / group[i]).string();
    if (error e = stage_file("f", path.c_str(), new_text(group[i]), KEEP_OLD | SYNC, staged[i]);
        !e.ok()) {
      return e;
    }
  }
  for (staged_file& s : staged) EXPECT_TRUE(place_file(s).ok());
  return {};
}

// A file size limit of `limit` bytes while it lives: a write past it fails with EFBIG. Only
// the soft limit is lowered, so that it can be raised again.
struct size_limit {
  rlimit before{};
  explicit size_limit(long limit) {
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &before);
    rlimit lowered = before;
    lowered.rlim_cur = static_cast<rlim_t>(limit);
    setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~size_limit() { setrlimit(RLIMIT_FSIZE, &before); }
};

// A write failure of `path` ("DIR/" stands for `dir`), with the error text of `number`.
void expect_write_failed(const error& e, const fs::path& dir, std::string path, int number) {
  path.replace(0, 4, (dir / "").string());
  EXPECT_EQ(e.kind, error_kind::failed);
  EXPECT_EQ(e.path, path);
  EXPECT_EQ(message(e), "f: write(" + path + ") " + std::strerror(number));
}

TEST(StageFile, AFailureWhileStagingLeavesEveryFileAsItWas) {
  const struct {
    const char* name;
    std::function<void(const fs::path&)> set_up;
    long limit;
    const char* failed;  // "DIR/" stands for the directory
  } cases[] = {
      {"the second is too large", [](const fs::path&) {}, static_cast<long>(new_text("par").size()),
       "DIR/Init"},
      {"the last has no room for its .old copy",
       [](const fs::path& d) {
         write_file(d / "dces", std::string(100, 'd'));
         fs::create_hard_link(d / "dces", d / "dces.link");  // copied, not linked
       },
       50, "DIR/dces.old"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path dir = group_dir("stage_fails");
    c.set_up(dir);
    const auto before = listing(dir);
    const size_limit limit(c.limit);
    expect_write_failed(stage_group(dir), dir, c.failed, EFBIG);
    EXPECT_EQ(listing(dir), before);
    fs::remove_all(dir);
  }
}

TEST(PlaceFile, AFailedRenameLeavesTheFileAndItsOldTwoFiles) {
  const struct {
    const char* name;
    std::function<void(const fs::path&)> spoil;  // done between staging and placing
    const char* failed;                          // "DIR/" stands for the directory
    int number;
    const char* x;  // what "X" then holds
  } cases[] = {
      {"the new contents are gone",
       [](const fs::path& d) {
         for (const auto& e : fs::directory_iterator(d)) {
           const std::string name = e.path().filename().string();
           if (name.rfind(".X.", 0) == 0 && name.find("old") == std::string::npos) {
             fs::remove(e.path());
           }
         }
       },
       "DIR/X", ENOENT, "old\n"},
      {"X.old became a directory",
       [](const fs::path& d) {
         fs::remove(d / "X.old");
         fs::create_directories(d / "X.old" / "in");
       },
       "DIR/X.old", EISDIR, "new\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path dir = scratch("place_fails");
    write_file(dir / "X", "old\n");
    write_file(dir / "X.old", "older\n");
    staged_file staged;
    ASSERT_TRUE(stage_file("f", (dir / "X").c_str(), "new\n", KEEP_OLD, staged).ok());
    c.spoil(dir);
    expect_write_failed(place_file(staged), dir, c.failed, c.number);
    const auto now = listing(dir);
    EXPECT_EQ(now.at("X").bytes, c.x);
    EXPECT_EQ(now.at("X").links, 1u);
    for (const auto& [name, file] : now) EXPECT_NE(name[0], '.') << name << " left behind";
    fs::remove_all(dir);
  }
}

TEST(ReplaceFile, InPlaceTheRoomIsReservedFirst) {
  const std::string old_text = "type Quad\n\tirq 5\n\tioa 300\n";
  const struct {
    const char* name;
    std::string text;
    bool written;
  } cases[] = {
      {"longer, past the limit", old_text + "type Octa\n\tirq 7\n", false},
      {"shorter: cut to its length", "type Quad\n", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path dir = scratch("in_place");
    write_file(dir / "X", old_text);
    fs::create_hard_link(dir / "X", dir / "X.link");
    error e;
    {
      const size_limit limit(40);
      e = replace_file("f", (dir / "X").c_str(), c.text, KEEP_OLD);
    }
    if (c.written) {
      EXPECT_TRUE(e.ok()) << message(e);
    } else {
      expect_write_failed(e, dir, "DIR/X", EFBIG);
    }
    const auto now = listing(dir);
    EXPECT_EQ(now.at("X").bytes, c.written ? c.text : old_text);
    EXPECT_EQ(now.at("X"), now.at("X.link"));
    EXPECT_EQ(now.at("X.old").bytes, old_text);  // complete before X was touched
    EXPECT_EQ(now.at("X.old").links, 1u);
    EXPECT_EQ(now.size(), 3u);
    fs::remove_all(dir);
  }
}

// The number of a process that has just ended.
pid_t gone_pid() {
  const pid_t pid = fork();
  if (pid == 0) std::_Exit(0);
  waitpid(pid, nullptr, 0);
  return pid;
}

TEST(ReplaceFile, WhatAKilledRunLeftIsRemoved) {
  const std::string gone = std::to_string(gone_pid());
  const std::string live = std::to_string(getppid());  // not this one: its own names are reused
  const struct {
    std::string name;
    bool stays;
  } cases[] = {
      {".X." + gone + "-0", false}, {".X." + gone + "-12", false},
      {".X.old." + gone, false},    {".X.old." + gone + "-3", false},
      {".X." + live + "-0", true},  {".X.old." + live, true},
      {".X." + gone, true},         {".X." + gone + "-", true},
      {".X." + gone + "-1x", true}, {".X.old." + gone + "x", true},
      {".Y." + gone + "-0", true},  {"X." + gone + "-0", true},
      {".X.old_" + gone, true},
  };
  const fs::path dir = scratch("strays");
  write_file(dir / "X", "old\n");
  for (const auto& c : cases) write_file(dir / c.name, "left\n");
  ASSERT_TRUE(replace_file("f", (dir / "X").c_str(), "new\n", KEEP_OLD).ok());
  const auto now = listing(dir);
  for (const auto& c : cases) EXPECT_EQ(now.count(c.name), c.stays ? 1u : 0u) << c.name;
  fs::remove_all(dir);
}

TEST(ReplaceFile, SignalsNeverLeaveAPartOrATemporaryFile) {
  const fs::path dir = scratch("replace");
  const std::string path = (dir / "Init").string();
  const std::string versions[2] = {std::string(200000, 'a'), std::string(150000, 'b') + "\n"};
  // There from the start: a child stopped before its first replacement leaves it as it was.
  write_file(path, versions[1]);
  std::mt19937 random(12345);
  for (int round = 0; round < 40; ++round) {
    const pid_t pid = fork();
    if (pid == 0) {
      for (int i = 0;; ++i)
        (void)replace_file("build_init", path.c_str(), versions[i % 2], KEEP_OLD);
    }
    usleep(200 + random() % 3000);
    kill(pid, round % 3 == 0 ? SIGINT : round % 3 == 1 ? SIGTERM : SIGHUP);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    names.erase("Init.old");
    EXPECT_EQ(names, std::set<std::string>{"Init"}) << "round " << round;
    for (const char* name : {"Init", "Init.old"}) {
      if (!fs::exists(dir / name)) continue;
      const std::string now = read_file(dir / name);
      EXPECT_TRUE(now == versions[0] || now == versions[1]) << name << " cut, round " << round;
    }
  }
  fs::remove_all(dir);
}

}  // namespace

}  // namespace kdz
