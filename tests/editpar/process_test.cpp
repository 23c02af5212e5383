// editpar among other processes: the editors' lock while an editor is open, the writers'
// lock, many calls at once without flock, a "par" replaced while an editor is open, links
// where the programs write their own names, port settings through a delete and a build.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <sstream>
#include <thread>

#include "tests/support/golden.h"

namespace {

using namespace support;

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

// An editor started in `dir` (`exe`, the editpar given), its standard error in `err`.
run_plan open_editor(const fs::path& dir, const fs::path& err, const char* exe = EDITPAR_BIN) {
  return {exe, {"./editpar"}, dir, "/dev/null", "/dev/null", err};
}
constexpr char main_menu[] = "Selection (1-5, q to quit): ";

// A package directory `dir` with one board's "cfg" and, when `with_par`, its "par".
void package(const fs::path& dir, bool with_par = true) {
  clean(dir);
  write_file(dir / "cfg", one_board_cfg);
  if (with_par) write_file(dir / "par", one_board_par);
}

constexpr char empty_set[] = "# Common Params...\nmode interrupt\n\n# Per Board Params...\n\n";
constexpr char being_edited[] = "./editpar: par is being edited by another editpar\n";

// An editor at its menu, in A or in B whose "par" links to A's: a second editor or a
// script in either directory is refused with status 3 and writes nothing; listing,
// checking, the map and buildc need no lock; the open editor then saves what it read.
TEST(Lock, AnOpenEditorKeepsOtherEditorsOut) {
  const fs::path top = scratch("lock");
  write_file(top / "delete", "5\ny\nq\n");  // what a second editor would answer
  for (const char* open_in : {"A", "B"}) {
    package(top / "A");
    package(top / "B", false);
    fs::create_symlink("../A/par", top / "B" / "par");
    started open(open_editor(top / open_in, top / "err_open"));
    ASSERT_TRUE(open.shows(main_menu)) << open_in;
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
  write_file(top / "delete", "5\n1\ny\nq\n");
  write_file(dir / "par", four);
  const std::vector<int> scripts = ten_at_once(top, dir, {"./editpar", "-d", "1"}, "/dev/null");
  const int saved = static_cast<int>(std::count(scripts.begin(), scripts.end(), 0));
  EXPECT_EQ(saved, 4 - boards_in(read_file(dir / "par")));
  for (const int status : scripts) EXPECT_TRUE(status == 0 || status == 1 || status == 3) << status;

  write_file(dir / "par", four);
  started open(open_editor(dir, top / "err", EDITPAR_NO_LOCKS));
  ASSERT_TRUE(open.shows(main_menu));
  for (const auto& argv : {std::vector<std::string>{"./editpar"}, {"./editpar", "-d", "1"}}) {
    for (const int status : ten_at_once(top, dir, argv, top / "delete")) EXPECT_EQ(status, 3);
  }
  EXPECT_EQ(open.finish("5\n1\ny\nq\n"), 0);
  EXPECT_EQ(boards_in(read_file(dir / "par")), 3);
  if (!HasFailure()) clean(top);
}

// "par" replaced, or created, by another program while an editor is open: the editor's
// set goes to "par.new", status 1, and "par" stays as the other program left it; "Init"
// does not follow the board the editor deleted. A "par.new" that is a hard or symbolic
// link to another file is replaced as a name: that file stays as it was.
TEST(Save, ParChangedWhileOpenGoesToParNew) {
  const fs::path top = scratch("par_changed"), dir = top / "dir", other = top / "other";
  const std::string theirs = "# theirs\nmode polling\n";
  const std::string init = "a00:23:respawn:/etc/getty ttya00 9600\n";
  const struct {
    bool existed;
    const char* first;  // the answer to the mode question of a new set
    const char* last;   // the answers at the menu: its only board deleted, or none to delete
    const char* saved;  // what "par.new" then holds
    char link;          // "par.new" beforehand: 'h' a hard link, 's' a symbolic one, or none
  } cases[] = {{true, "", "5\ny\nq\n", empty_set, 0},
               {false, "i\n", "q\n", empty_set, 0},
               {true, "", "q\n", one_board_par, 'h'},
               {true, "", "q\n", one_board_par, 's'}};
  for (const auto& c : cases) {
    const std::string what = std::string(c.existed ? "par" : "no par") + " " + c.link;
    package(dir, c.existed);
    write_file(dir / "Init", init);
    write_file(other, "not the editor's\n");
    if (c.link == 'h') fs::create_hard_link(other, dir / "par.new");
    if (c.link == 's') fs::create_symlink(other, dir / "par.new");
    started open(open_editor(dir, top / "err"));
    open.send(c.first);
    ASSERT_TRUE(open.shows(main_menu)) << what;
    write_file(dir / "par.tmp", theirs);
    fs::rename(dir / "par.tmp", dir / "par");
    EXPECT_EQ(open.finish(c.last), 1) << what;
    EXPECT_EQ(read_file(top / "err"),
              "./editpar: par changed since it was read: your version is in ./par.new\n");
    EXPECT_EQ(read_file(dir / "par"), theirs) << what;
    EXPECT_EQ(read_file(dir / "par.new"), c.saved) << what;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "par.new"))) << what;
    EXPECT_EQ(fs::hard_link_count(dir / "par.new"), 1u) << what;
    EXPECT_EQ(read_file(other), "not the editor's\n") << what;
    EXPECT_EQ(read_file(dir / "Init"), init) << what;
    EXPECT_FALSE(fs::exists(dir / "par.old")) << what;
    EXPECT_FALSE(fs::exists(dir / "Init.old")) << what;
  }
  if (!HasFailure()) clean(top);
}

// `buildc -o` into a `cp -al` or `cp -as` copy of the package replaces the names it writes,
// never writing through the links found there: the package's own files stay as they were,
// and each result is a regular file of its own.
TEST(Links, BuildcIntoALinkedCopyLeavesThePackageAlone) {
  const fs::path top = scratch("links"), dir = top / "dir", copy = top / "copy";
  for (const char* cp : {"-al", "-as"}) {
    clean(top);
    package(dir);
    run_plan build{BUILDC_BIN, {"./buildc", "-C", "dir"}, top, "/dev/null", top / "out",
                   top / "err"};
    ASSERT_EQ(run(build), 0);
    ASSERT_EQ(run({"/bin/cp", {"cp", cp, dir, copy}, top, "/dev/null", top / "out", top / "err"}),
              0);
    write_file(dir / "par", empty_set);  // every file of a build changes
    const tree before = snapshot(dir);
    build.argv = {"./buildc", "-C", "dir", "-o", "copy"};
    EXPECT_EQ(run(build), 0) << cp << read_file(top / "err");
    EXPECT_TRUE(snapshot(dir) == before) << cp << ": the package's own files changed";
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(copy / "System"))) << cp;
    EXPECT_EQ(fs::hard_link_count(copy / "System"), 1u) << cp;
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
    write_file(dir / "Init", init);
    write_file(dir / "dces", "ttyA12\n");

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

}  // namespace
