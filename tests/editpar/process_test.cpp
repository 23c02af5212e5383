// editpar among other processes: the editors' lock, the writers' lock, a lock that cannot
// be had, a "par" replaced while an editor is open, port settings through a delete.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "tests/golden.h"

namespace {

using namespace golden;

constexpr char one_board_cfg[] =
    "mode a\npkg kdz\ntype t8\nclass \"Eight ports\"\nbus at\nsizes 16\nirqs 5\n"
    "ioas-primary 300\n";
constexpr char one_board_par[] =
    "# Common Params...\nmode interrupt\n\nbus at\n# Per Board Params...\n\n"
    "# Board 1...\n\ttype \"t8\"\n\tsize 16\n\tirq  5\n\tioa  300\n"
    "\tdpa  d0000\n\n";

// A run of editpar in `dir` as `argv`, its answers from `in`, its output in `top`.
run_plan editor(const fs::path& top, const fs::path& dir, std::vector<std::string> argv,
                const fs::path& in) {
  return {EDITPAR_BIN, std::move(argv), dir, in, top / "out", top / "err"};
}

// An editor started in `dir`, given `first` answers at once, that waits at its main menu
// until answered; its standard error goes to `err`.
class open_editor {
 public:
  open_editor(const fs::path& dir, const fs::path& err, const std::string& first = "",
              const char* exe = EDITPAR_BIN) {
    int to[2], from[2];
    if (pipe(to) != 0 || pipe(from) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(to[0], 0);
      dup2(from[1], 1);
      close(to[1]);
      close(from[0]);
      const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (e >= 0) dup2(e, 2);
      if (chdir(dir.c_str()) == 0) execl(exe, "./editpar", nullptr);
      _exit(127);
    }
    close(to[0]);
    close(from[1]);
    to_ = to[1];
    from_ = from[0];
    if (write(to_, first.data(), first.size()) != static_cast<ssize_t>(first.size())) close(to_);
  }
  ~open_editor() {
    if (pid_ > 0) finish("");
  }
  open_editor(const open_editor&) = delete;
  open_editor& operator=(const open_editor&) = delete;

  // Whether it shows its main menu.
  bool at_menu() {
    std::size_t at = 0;
    return pid_ > 0 && wait_for(from_, seen_, at, "Selection (1-5, q to quit): ");
  }
  // Gives it `answers` and the end of its input; returns its exit status (-1 when killed).
  int finish(const std::string& answers) {
    const bool sent =
        write(to_, answers.data(), answers.size()) == static_cast<ssize_t>(answers.size());
    close(to_);
    int status = -1;
    waitpid(pid_, &status, 0);
    close(from_);
    pid_ = -1;
    return sent && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int to_ = -1, from_ = -1;
  std::string seen_;
};

// A package directory `dir` with one board's "cfg" and, when `with_par`, its "par".
void package(const fs::path& dir, bool with_par = true) {
  clean(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "cfg") << one_board_cfg;
  if (with_par) std::ofstream(dir / "par") << one_board_par;
}

constexpr char empty_set[] = "# Common Params...\nmode interrupt\n\n# Per Board Params...\n\n";
constexpr char being_edited[] = "./editpar: par is being edited by another editpar\n";

// An editor at its menu, in A or in B whose "par" links to A's: a second editor or a
// script in either directory is refused with status 3 and writes nothing; listing,
// checking, the map and buildc need no lock; the open editor then saves what it read.
TEST(Lock, AnOpenEditorKeepsOtherEditorsOut) {
  const fs::path top = scratch("lock");
  std::ofstream(top / "delete") << "5\ny\nq\n";  // what a second editor would answer
  for (const char* open_in : {"A", "B"}) {
    package(top / "A");
    package(top / "B", false);
    fs::create_symlink("../A/par", top / "B" / "par");
    open_editor open(top / open_in, top / "err_open");
    ASSERT_TRUE(open.at_menu()) << open_in;
    const struct {
      std::vector<std::string> argv;
      int status;
      const char* err;
    } cases[] = {{{"./editpar"}, 3, being_edited}, {{"./editpar", "-d", "1"}, 3, being_edited},
                 {{"./editpar", "-l"}, 0, ""},     {{"./editpar", "-c"}, 0, ""},
                 {{"./editpar", "-m"}, 0, ""},     {{"./buildc"}, 0, ""}};
    for (const auto& c : cases) {
      for (const char* in : {"A", "B"}) {
        run_plan plan = editor(top, top / in, c.argv, top / "delete");
        if (c.argv[0] == "./buildc") plan.exe = BUILDC_BIN;
        plan.seconds = 5;
        const std::string what = c.argv.back() + " in " + in;
        EXPECT_EQ(run(plan), c.status) << what;
        EXPECT_TRUE(c.status == 0 || read_file(top / "out").empty()) << what;
        EXPECT_EQ(read_file(top / "err"), c.err) << what;
        EXPECT_EQ(read_file(top / "A" / "par"), one_board_par) << what;
        EXPECT_FALSE(fs::exists(top / "A" / "par.old")) << what;
      }
    }
    EXPECT_EQ(open.finish("q\n"), 0);
    EXPECT_EQ(read_file(top / "err_open"), "");
    EXPECT_EQ(read_file(top / "A" / "par"), one_board_par);
    EXPECT_TRUE(fs::is_symlink(top / "B" / "par"));
  }
  if (!HasFailure()) clean(top);
}

// A save waits while buildc runs (it holds the writers' lock, on ".kdz-lock"), so that
// neither reads an "Init" the other is replacing; the script saves once the lock is let go.
TEST(Lock, SaveWaitsForTheWritersLock) {
  const fs::path top = scratch("writers_lock"), dir = top / "dir";
  package(dir);
  // Not inherited by the editor, which would then hold it too.
  const int held = open((dir / ".kdz-lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  int status = -1;
  std::thread script([&] {
    status = run(editor(top, dir, {"./editpar", "-d", "1"}, "/dev/null"));
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(read_file(dir / "par"), one_board_par);
  close(held);
  script.join();
  EXPECT_EQ(status, 0);
  EXPECT_EQ(read_file(dir / "par"), empty_set);
  if (!HasFailure()) clean(top);
}

// A lock that cannot be had as flock: a directory the user may not read (a script writes
// nothing, status 3; the dialogue warns and goes on); a file system without locks (an
// editpar linked with a lock call that fails so), where a file made O_EXCL holds each lock:
// the save goes through and leaves none behind, and one that a killed run left is reported
// with its name, to a script and to the dialogue before any question (status 3).
TEST(Lock, UnavailableOrHeldByAFile) {
  const std::string unreadable = "./editpar: cannot lock .: Permission denied\n";
  const std::string held =
      "./editpar: ./.kdz-edit.held is held: if no buildc or editpar is running, "
      "remove it\n";
  const char* const nobody = "user nobody\nchmod 333 .\n";
  const struct {
    const char* exe;
    const char* setup;
    bool stale;   // a fallback file of the editors' lock left by a killed run
    bool script;  // else the dialogue, which deletes the only board and saves
    int status;
    const std::string& err;
  } cases[] = {{EDITPAR_BIN, nobody, false, true, 3, unreadable},
               {EDITPAR_BIN, nobody, false, false, 0, unreadable},
               {EDITPAR_NO_LOCKS, "", false, true, 0, ""},
               {EDITPAR_NO_LOCKS, "", false, false, 0, ""},
               {EDITPAR_NO_LOCKS, "", true, true, 3, held},
               {EDITPAR_NO_LOCKS, "", true, false, 3, held}};
  const fs::path top = scratch("lock_unavailable"), dir = top / "dir";
  std::ofstream(top / "delete") << "5\ny\nq\n";
  for (const auto& c : cases) {
    package(dir);
    if (c.stale) std::ofstream(dir / ".kdz-edit.held") << "4711\n";
    run_plan plan = editor(top, dir, {"./editpar"}, top / "delete");
    if (c.script) plan.argv = {"./editpar", "-d", "1"};
    plan.exe = c.exe;
    ASSERT_TRUE(set_up(c.setup, dir, plan));
    const std::string what =
        c.exe + std::string(c.script ? " -d 1" : "") + (c.stale ? " stale" : "");
    EXPECT_EQ(run(plan), c.status) << what;
    EXPECT_EQ(read_file(top / "err"), c.err) << what;
    EXPECT_TRUE(c.status == 0 || read_file(top / "out").empty()) << what;
    EXPECT_EQ(read_file(dir / "par"), c.status == 0 ? empty_set : one_board_par) << what;
    EXPECT_EQ(fs::exists(dir / "par.old"), c.status == 0) << what;
    EXPECT_EQ(fs::exists(dir / ".kdz-edit.held"), c.stale) << what;
    EXPECT_FALSE(fs::exists(dir / ".kdz-lock.held")) << what;
  }
  if (!HasFailure()) clean(top);
}

// The number of boards in the "par" text `text`.
int boards_in(const std::string& text) {
  int n = 0;
  for (std::size_t at = 0; (at = text.find("# Board ", at)) != std::string::npos; ++at) ++n;
  return n;
}

// Ten calls of `argv` at once, in `dir`, of an editpar without flock; their exit statuses.
std::vector<int> ten_at_once(const fs::path& top, const fs::path& dir,
                             const std::vector<std::string>& argv, const fs::path& in) {
  std::vector<int> statuses(10);
  std::vector<std::thread> calls;
  for (int i = 0; i < 10; ++i) {
    calls.emplace_back([&, i] {
      const std::string n = std::to_string(i);
      statuses[i] = run({EDITPAR_NO_LOCKS, argv, dir, in, top / ("out" + n), top / ("err" + n)});
    });
  }
  for (std::thread& t : calls) t.join();
  return statuses;
}

// Without flock, changes are never lost: ten scripts at once each delete board 1 of four,
// and as many report success as boards went (the others are refused, 1, or find the lock
// held, 3); while a dialogue is open, ten dialogues and ten scripts at once all find it held.
TEST(Lock, WithoutFlockNoChangeIsLost) {
  const fs::path top = scratch("no_flock"), dir = top / "dir";
  package(dir);
  std::string four = one_board_par;
  for (const char* ioa : {"320", "340", "360"}) {
    four += "# Board\n\ttype \"t8\"\n\tsize 16\n\tirq  5\n\tioa  " + std::string(ioa) + "\n\n";
  }
  std::ofstream(top / "delete") << "5\n1\ny\nq\n";
  std::ofstream(dir / "par") << four;
  const std::vector<int> scripts = ten_at_once(top, dir, {"./editpar", "-d", "1"}, "/dev/null");
  const int saved = static_cast<int>(std::count(scripts.begin(), scripts.end(), 0));
  EXPECT_EQ(saved, 4 - boards_in(read_file(dir / "par")));
  for (const int status : scripts) EXPECT_TRUE(status == 0 || status == 1 || status == 3) << status;

  std::ofstream(dir / "par") << four;
  open_editor open(dir, top / "err", "", EDITPAR_NO_LOCKS);
  ASSERT_TRUE(open.at_menu());
  for (const auto& argv : {std::vector<std::string>{"./editpar"}, {"./editpar", "-d", "1"}}) {
    for (const int status : ten_at_once(top, dir, argv, top / "delete")) EXPECT_EQ(status, 3);
  }
  EXPECT_EQ(open.finish("5\n1\ny\nq\n"), 0);
  EXPECT_EQ(boards_in(read_file(dir / "par")), 3);
  if (!HasFailure()) clean(top);
}

// "par" replaced, or created, by another program while an editor is open: the editor's
// set goes to "par.new", status 1, and "par" stays as the other program left it; "Init"
// does not follow the board the editor deleted.
TEST(Save, ParChangedWhileOpenGoesToParNew) {
  const fs::path top = scratch("par_changed"), dir = top / "dir";
  const std::string theirs = "# theirs\nmode polling\n";
  const std::string init = "a00:23:respawn:/etc/getty ttya00 9600\n";
  const struct {
    bool existed;
    const char* first;  // the answer to the mode question of a new set
    const char* last;   // the answers at the menu: its only board deleted, or none to delete
  } cases[] = {{true, "", "5\ny\nq\n"}, {false, "i\n", "q\n"}};
  for (const auto& c : cases) {
    package(dir, c.existed);
    std::ofstream(dir / "Init") << init;
    open_editor open(dir, top / "err", c.first);
    ASSERT_TRUE(open.at_menu());
    std::ofstream(dir / "par.tmp") << theirs;
    fs::rename(dir / "par.tmp", dir / "par");
    EXPECT_EQ(open.finish(c.last), 1) << c.existed;
    EXPECT_EQ(read_file(top / "err"),
              "./editpar: par changed since it was read: your version is in ./par.new\n");
    EXPECT_EQ(read_file(dir / "par"), theirs);
    EXPECT_EQ(read_file(dir / "par.new"), empty_set);
    EXPECT_EQ(read_file(dir / "Init"), init);
    EXPECT_FALSE(fs::exists(dir / "par.old"));
    EXPECT_FALSE(fs::exists(dir / "Init.old"));
  }
  if (!HasFailure()) clean(top);
}

// Names the programs write for themselves are replaced as names, never written through a
// link found there: `buildc -o` into a `cp -al` or `cp -as` copy of the package leaves the
// package's own files alone, and a "par.new" that is a hard or symbolic link to another file
// leaves that file alone. Each program's result is a regular file under the name.
TEST(Links, OwnNamesAreReplacedNotWrittenThrough) {
  const fs::path top = scratch("links"), dir = top / "dir", copy = top / "copy";
  const struct {
    const char* cp;  // the copy of the package written by buildc -o, or null for par.new
    bool symbolic;   // par.new a symbolic link, else a hard one
  } cases[] = {{"-al", false}, {"-as", false}, {nullptr, false}, {nullptr, true}};
  for (const auto& c : cases) {
    const std::string what = c.cp != nullptr ? c.cp : c.symbolic ? "symlink" : "hard link";
    clean(top);
    package(dir);
    fs::path written = dir / "par.new", other = top / "other";
    std::ofstream(other) << "not the editor's\n";
    if (c.cp != nullptr) {
      const run_plan build{BUILDC_BIN, {"./buildc", "-C", "dir"}, top, "/dev/null", top / "out",
                           top / "err"};
      ASSERT_EQ(run(build), 0);
      const run_plan cp{"/bin/cp",   {"cp", c.cp, dir.string(), copy.string()},
                        top,         "/dev/null",
                        top / "out", top / "err"};
      ASSERT_EQ(run(cp), 0);
      std::ofstream(dir / "par") << empty_set;  // every file of a build changes
      const tree before = snapshot(dir);
      run_plan into = build;
      into.argv = {"./buildc", "-C", "dir", "-o", "copy"};
      EXPECT_EQ(run(into), 0) << what << read_file(top / "err");
      EXPECT_TRUE(snapshot(dir) == before) << what << ": the package's own files changed";
      written = copy / "System";
      other = dir / "System";
    } else {
      if (c.symbolic) fs::create_symlink(other, written);
      if (!c.symbolic) fs::create_hard_link(other, written);
      open_editor open(dir, top / "err");
      ASSERT_TRUE(open.at_menu());
      std::ofstream(dir / "par.tmp") << "# theirs\n";
      fs::rename(dir / "par.tmp", dir / "par");
      EXPECT_EQ(open.finish("q\n"), 1) << what;
      EXPECT_EQ(read_file(written), one_board_par) << what;
      EXPECT_EQ(read_file(other), "not the editor's\n") << what;
    }
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(written))) << what;
    EXPECT_EQ(fs::hard_link_count(written), 1u) << what;
  }
  if (!HasFailure()) clean(top);
}

// A change left pending in the package: the modes that must not write say so and stop with
// status 1, changing nothing; a script call finishes it first, says so, and goes on.
TEST(Pending, ReadersStopWritersFinish) {
  const fs::path top = scratch("pending"), dir = top / "dir";
  const struct {
    std::vector<std::string> argv;
    int status;
  } cases[] = {{{"./editpar", "-c"}, 1},
               {{"./editpar", "-l"}, 1},
               {{"./editpar", "-m"}, 1},
               {{"./editpar", "-n", "-d", "1"}, 1},
               {{"./editpar", "-d", "1"}, 0}};
  for (const auto& c : cases) {
    package(dir);
    std::ofstream(dir / ".kdz-change") << ".par.kdz-4711-0 par\nend\n";
    std::ofstream(dir / ".par.kdz-4711-0") << one_board_par << "\n";
    const std::string pending = "./editpar: an interrupted change is pending in " +
                                fs::canonical(dir).string() +
                                ": the next buildc or editpar finishes it\n";
    EXPECT_EQ(run(editor(top, dir, c.argv, "/dev/null")), c.status) << c.argv[1];
    EXPECT_EQ(read_file(top / "err"),
              c.status == 1 ? pending : "./editpar: finished an interrupted change: par\n")
        << c.argv[1];
    EXPECT_EQ(read_file(dir / "par"), c.status == 1 ? one_board_par : empty_set) << c.argv[1];
    EXPECT_EQ(fs::exists(dir / ".kdz-change"), c.status == 1) << c.argv[1];
  }
  if (!HasFailure()) clean(top);
}

// The identifiers of the lines of `text` that hold `word`, in order.
std::vector<std::string> names_with(const std::string& text, const std::string& word) {
  std::vector<std::string> names;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.find(word) != std::string::npos) names.push_back(line.substr(0, line.find(':')));
  }
  return names;
}

// Port a00 of board 1 and a10 of board 2 switched on, ttyA12 of board 2 a DCE line;
// `editpar -d 1`, then buildc: what was board 2's stays on and DCE under board 1's names,
// and nothing of board 1 is left. Also with "par" a link into another directory: the
// program directory's "Init" and "dces" follow, where buildc reads them.
TEST(PortSettings, FollowTheirBoardThroughDeleteAndBuild) {
  const fs::path top = scratch("ports_follow"), dir = top / "A";
  const std::vector<std::string> a00{"a00"};
  for (const bool linked : {false, true}) {
    clean(top);
    const fs::path par_dir = linked ? top / "B" : dir;
    fs::create_directories(par_dir);
    fs::create_directories(dir);
    fs::copy_file(fs::path(SAMPLE_DIR) / "cfg", dir / "cfg");
    fs::copy_file(fs::path(SAMPLE_DIR) / "par", par_dir / "par");
    if (linked) fs::create_symlink("../B/par", dir / "par");
    const run_plan build{BUILDC_BIN, {"./buildc"}, dir, "/dev/null", top / "out", top / "err"};
    ASSERT_EQ(run(build), 0) << read_file(top / "err");
    std::string init = read_file(dir / "Init");
    for (const char* id : {"a00:23:off", "a10:23:off"}) {
      init.replace(init.find(id), 10, std::string(id, 3) + ":23:respawn");
    }
    std::ofstream(dir / "Init") << init;
    std::ofstream(dir / "dces") << "ttyA12\n";

    EXPECT_EQ(run(editor(top, dir, {"./editpar", "-d", "1"}, "/dev/null")), 0) << linked;
    EXPECT_EQ(read_file(top / "err"), "") << linked;
    EXPECT_EQ(names_with(read_file(dir / "Init"), "respawn"), a00);
    EXPECT_EQ(read_file(dir / "dces.old"), "ttyA12\n");
    EXPECT_EQ(run(build), 0) << read_file(top / "err");
    const std::string now = read_file(dir / "Init");
    EXPECT_EQ(names_with(now, "respawn"), a00) << linked;
    EXPECT_NE(now.find("a00:23:respawn:/etc/getty ttya00 9600\n"), std::string::npos);
    EXPECT_EQ(read_file(dir / "dces"), "ttyA02\n") << linked;
    EXPECT_EQ(fs::exists(par_dir / "Init"), !linked);
  }
  if (!HasFailure()) clean(top);
}

// `editpar -n CHANGES` prints what `diff -u` with the labels NAME and "NAME (after)" prints
// for "par", "Init" and "dces" before and after the same call without -n, and the same
// warnings, and writes nothing: a delete that "Init" and "dces" follow, and a first board
// added where there was no "par" (diffed from an empty file).
TEST(Preview, IsTheDiffOfTheCallItShows) {
  const fs::path top = scratch("preview"), shown = top / "shown", done = top / "done";
  const struct {
    bool with_par;
    std::vector<std::string> changes;
  } cases[] = {{true, {"-d", "1"}}, {false, {"-a", "t8", "ioa=300", "size=16", "dpa=d0000"}}};
  for (const auto& c : cases) {
    for (const fs::path& dir : {shown, done}) {
      package(dir, c.with_par);
      std::ofstream(dir / "Init") << "a00:23:respawn:/etc/getty ttya00 9600\n";
      std::ofstream(dir / "dces") << "ttyA01\n";
    }
    std::vector<std::string> argv{"./editpar", "-n"};
    argv.insert(argv.end(), c.changes.begin(), c.changes.end());
    const tree before = snapshot(shown);
    EXPECT_EQ(run(editor(top, shown, argv, "/dev/null")), 0) << c.changes[0];
    const std::string out = read_file(top / "out"), err = read_file(top / "err");
    argv.erase(argv.begin() + 1);
    EXPECT_EQ(run(editor(top, done, argv, "/dev/null")), 0) << c.changes[0];
    EXPECT_EQ(err, read_file(top / "err")) << c.changes[0];
    std::string diffs;
    for (const std::string name : {"par", "Init", "dces"}) {
      const fs::path was = fs::exists(shown / name) ? shown / name : "/dev/null";
      const run_plan diff{
          "/usr/bin/diff",
          {"diff", "-u", "--label", name, "--label", name + " (after)", was, done / name},
          top,
          "/dev/null",
          top / "diff",
          top / "diff_err"};
      EXPECT_LE(run(diff), 1) << read_file(top / "diff_err");
      diffs += read_file(top / "diff");
    }
    EXPECT_EQ(out, diffs) << c.changes[0];
    const tree after = snapshot(shown);
    for (const auto& broken : broken_promises(before, after)) ADD_FAILURE() << broken;
    EXPECT_EQ(after.size(), before.size()) << c.changes[0];
    for (const auto& [name, e] : before) {
      EXPECT_EQ(after.contains(name) ? after.at(name).bytes : "", e.bytes) << name;
    }
  }
  if (!HasFailure()) clean(top);
}

// Started without even a program name, it works on the files of the current directory.
TEST(NoProgramName, FilesOfTheCurrentDirectory) {
  const fs::path top = scratch("no_name"), dir = top / "dir";
  package(dir, false);
  std::ofstream(top / "answers") << "i\nq\n";
  EXPECT_EQ(run(editor(top, dir, {}, top / "answers")), 0);
  EXPECT_EQ(read_file(top / "err"), "");
  EXPECT_EQ(read_file(dir / "par"), empty_set);
  if (!HasFailure()) clean(top);
}

}  // namespace
