// Both programs among other processes: a writer waiting for the writers' lock, an open
// editor beside other calls, ten scripts without flock, a "par" replaced while an editor is
// open. The packages are case folders' in/ (tests/buildc/,
// tests/editpar/).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <regex>
#include <thread>

#include "tests/support/golden.h"

namespace {

using namespace support;

// Old "Init" and "dces" that differ from what buildc writes: a run changes both.
const fs::path carried = fs::path(CASES_DIR) / "buildc" / "carried_over";
// One board in "par"; out/par is the set without it.
const fs::path one_board = fs::path(CASES_DIR) / "editpar" / "no_flock_script_saves";
// Four boards in "par", without flock.
const fs::path four_boards = fs::path(CASES_DIR) / "editpar" / "no_flock_deletes_first_of_four";
constexpr char main_menu[] = "Selection (1-5, q to quit): ";
constexpr char being_edited[] = "./editpar: par is being edited by another editpar\n";

// The command line `argv` run in `dir` (buildc or editpar, as argv[0] ends), its answers
// from `in`, its output beside `dir`.
run_plan call(const fs::path& dir, std::vector<std::string> argv,
              const fs::path& in = "/dev/null") {
  const char* exe = argv[0].ends_with("buildc") ? BUILDC_BIN : EDITPAR_BIN;
  return {exe, std::move(argv), dir, in, dir / "../out", dir / "../err"};
}

// The test holds the writers' lock (".kdz-lock"), shared as it is, and replaces "cfg" as
// `sed -i` does; a writer waits, writing nothing (a writer holding the lock shared would
// not: two at once), then works on what it finds: buildc finds current the files the holder
// wrote meanwhile and changes nothing, `editpar -d 1` saves.
TEST(WritersLock, AWriterWaitsThenWorksOnWhatItFinds) {
  const fs::path top = scratch("writers_lock"), dir = top / "dir";
  for (const bool buildc : {true, false}) {
    const fs::path src = buildc ? carried : one_board;
    stage(src / "in", dir);
    // Not inherited: a lock is the open file's, and the writer must not hold it too.
    const int held = open((dir / ".kdz-lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_EQ(flock(held, LOCK_SH), 0);
    write_file(dir / "cfg.new", read_file(dir / "cfg"));
    fs::rename(dir / "cfg.new", dir / "cfg");
    const tree waiting = snapshot(dir);
    started writer(call(dir, words_of(buildc ? "./buildc" : "./editpar -d 1")));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(writer.running()) << buildc << " did not wait";
    EXPECT_TRUE(snapshot(dir) == waiting) << buildc << " wrote while the lock was held";
    if (buildc) fs::copy(src / "out", dir, fs::copy_options::overwrite_existing);
    age(dir);
    const tree before = snapshot(dir), want = snapshot(src / "out");
    close(held);
    EXPECT_EQ(writer.finish(), 0);
    for (const auto& broken : broken_promises(before, snapshot(dir))) ADD_FAILURE() << broken;
    for (const auto& [name, e] : snapshot(dir)) {
      const auto expected = want.find(name);
      EXPECT_TRUE(expected != want.end() || before.contains(name)) << name << " appeared";
      EXPECT_TRUE(expected == want.end() || e.bytes == expected->second.bytes) << name;
    }
  }
  if (!HasFailure()) clean(top);
}

// An editor at its menu, in A or in B whose "par" links to A's: a second editor or a
// script in either directory is refused with status 3 and writes nothing; listing,
// checking, the map and buildc need no lock; the open editor then saves what it read.
TEST(Lock, AnOpenEditorKeepsOtherEditorsOut) {
  const fs::path top = scratch("lock");
  const std::string par = read_file(one_board / "in" / "par");
  write_file(top / "delete", "5\ny\nq\n");  // what a second editor would answer
  const struct {
    std::vector<std::string> argv;
    int status;
    const char* err;
  } cases[] = {{{"./editpar"}, 3, being_edited}, {{"./editpar", "-d", "1"}, 3, being_edited},
               {{"./editpar", "-l"}, 0, ""},     {{"./editpar", "-c"}, 0, ""},
               {{"./editpar", "-m"}, 0, ""},     {{"./buildc"}, 0, ""}};
  for (const char* open_in : {"A", "B"}) {
    stage(one_board / "in", top / "A");
    stage(one_board / "in", top / "B");
    fs::remove(top / "B" / "par");
    fs::create_symlink("../A/par", top / "B" / "par");
    started open(call(top / open_in, {"./editpar"}));
    ASSERT_TRUE(open.shows(main_menu)) << open_in;
    for (const auto& c : cases) {
      for (const char* in : {"A", "B"}) {
        run_plan plan = call(top / in, c.argv, top / "delete");
        plan.seconds = 5;
        const std::string what = c.argv.back() + " in " + in;
        EXPECT_EQ(run(plan), c.status) << what;
        EXPECT_TRUE(c.status == 0 || read_file(top / "out").empty()) << what;
        EXPECT_EQ(read_file(top / "err"), c.err) << what;
        EXPECT_EQ(read_file(top / "A" / "par"), par) << what;
        EXPECT_FALSE(fs::exists(top / "A" / "par.old")) << what;
      }
    }
    EXPECT_EQ(open.finish("q\n"), 0);
    EXPECT_EQ(read_file(top / "A" / "par"), par);
    EXPECT_TRUE(fs::is_symlink(top / "B" / "par"));
  }
  if (!HasFailure()) clean(top);
}

// Ten calls of `argv` at once in `dir`, of an editpar without flock; their exit statuses.
std::vector<int> ten_at_once(const fs::path& dir, const std::vector<std::string>& argv,
                             const fs::path& in) {
  std::vector<int> statuses(10);
  std::vector<std::thread> calls;
  for (int i = 0; i < 10; ++i) {
    calls.emplace_back([&, i] {
      const std::string n = std::to_string(i);
      statuses[i] =
          run({EDITPAR_NO_LOCKS, argv, dir, in, dir / ("../out" + n), dir / ("../err" + n)});
    });
  }
  for (std::thread& t : calls) t.join();
  return statuses;
}

// The number of boards in the "par" of `dir`.
long boards_in(const fs::path& dir) {
  const std::string text = read_file(dir / "par");
  const std::regex board("# Board ");
  return std::distance(std::sregex_iterator(text.begin(), text.end(), board), {});
}

// Without flock, changes are never lost: ten scripts at once each delete board 1 of four,
// and as many report success as boards went (the others are refused, 1, or find the lock
// held, 3); while a dialogue is open, ten dialogues and ten scripts at once all find it held.
TEST(Lock, WithoutFlockNoChangeIsLost) {
  const fs::path top = scratch("no_flock"), dir = top / "dir";
  stage(four_boards / "in", dir);
  const std::string four = read_file(dir / "par");
  const std::vector<int> scripts = ten_at_once(dir, {"./editpar", "-d", "1"}, "/dev/null");
  EXPECT_EQ(std::count(scripts.begin(), scripts.end(), 0), 4 - boards_in(dir));
  for (const int status : scripts) EXPECT_TRUE(status == 0 || status == 1 || status == 3) << status;

  write_file(dir / "par", four);
  write_file(top / "delete", "5\n1\ny\nq\n");
  started open({EDITPAR_NO_LOCKS, {"./editpar"}, dir, "", "", top / "err"});
  ASSERT_TRUE(open.shows(main_menu));
  for (const auto& argv : {std::vector<std::string>{"./editpar"}, {"./editpar", "-d", "1"}}) {
    for (const int status : ten_at_once(dir, argv, top / "delete")) EXPECT_EQ(status, 3);
  }
  EXPECT_EQ(open.finish("5\n1\ny\nq\n"), 0);
  EXPECT_EQ(boards_in(dir), 3);
  if (!HasFailure()) clean(top);
}

// "par" replaced, or created, by another program while an editor is open: the editor's
// set goes to "par.new", status 1, and "par" stays as the other program left it; "Init"
// does not follow the board the editor deleted. A "par.new" that is a hard or symbolic
// link to another file is replaced as a name: that file stays as it was.
TEST(Save, ParChangedWhileOpenGoesToParNew) {
  const fs::path top = scratch("par_changed"), dir = top / "dir", other = top / "other";
  const std::string theirs = "# theirs\nmode polling\n", mine = "not the editor's\n";
  const std::string init = "a00:23:respawn:/etc/getty ttya00 9600\n";
  const struct {
    bool existed;
    const char* first;  // the answer to the mode question of a new set
    const char* last;   // the answers at the menu: its only board deleted, or none to delete
    fs::path saved;     // what "par.new" then holds
    char link;          // "par.new" beforehand: 'h' a hard link, 's' a symbolic one, or none
  } cases[] = {{true, "", "5\ny\nq\n", one_board / "out" / "par", 0},
               {false, "i\n", "q\n", one_board / "out" / "par", 0},
               {true, "", "q\n", one_board / "in" / "par", 'h'},
               {true, "", "q\n", one_board / "in" / "par", 's'}};
  for (const auto& c : cases) {
    const std::string what = std::string(c.existed ? "par " : "no par ") + c.link;
    stage(one_board / "in", dir);
    if (!c.existed) fs::remove(dir / "par");
    write_file(dir / "Init", init);
    write_file(other, mine);
    if (c.link == 'h') fs::create_hard_link(other, dir / "par.new");
    if (c.link == 's') fs::create_symlink(other, dir / "par.new");
    started open(call(dir, {"./editpar"}));
    open.send(c.first);
    ASSERT_TRUE(open.shows(main_menu)) << what;
    write_file(dir / "par.tmp", theirs);
    fs::rename(dir / "par.tmp", dir / "par");
    EXPECT_EQ(open.finish(c.last), 1) << what;
    EXPECT_EQ(read_file(top / "err"),
              "./editpar: par changed since it was read: your version is in ./par.new\n");
    EXPECT_EQ(read_file(dir / "par"), theirs) << what;
    EXPECT_EQ(read_file(dir / "par.new"), read_file(c.saved)) << what;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "par.new"))) << what;
    EXPECT_EQ(fs::hard_link_count(dir / "par.new"), 1u) << what;
    EXPECT_EQ(read_file(other), mine) << what;
    EXPECT_EQ(read_file(dir / "Init"), init) << what;
    EXPECT_FALSE(fs::exists(dir / "par.old") || fs::exists(dir / "Init.old")) << what;
  }
  if (!HasFailure()) clean(top);
}

}  // namespace
