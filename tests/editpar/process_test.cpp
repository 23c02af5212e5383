// editpar as a process among others: while one waits at its menu, a second one, or a
// script's change, is refused with status 3 before it reads or writes anything, and
// listing, checking and the map need no lock;
// started without even a program name, it works on the files of the current directory.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "tests/golden.h"

namespace {

using namespace golden;

// A run of editpar in `dir` as `argv`, its answers from `in`, its output in `top`.
run_plan editor(const fs::path& top, const fs::path& dir, std::vector<std::string> argv,
                const fs::path& in) {
  run_plan plan;
  plan.exe = EDITPAR_BIN;
  plan.argv = std::move(argv);
  plan.cwd = dir;
  plan.in = in;
  plan.out = top / "out";
  plan.err = top / "err";
  return plan;
}

TEST(Lock, SecondEditorIsRefused) {
  const fs::path top = scratch("lock");
  const fs::path dir = top / "dir";
  fs::create_directories(dir);
  const std::string par =
      "# Common Params...\nmode interrupt\n\nbus at\n# Per Board Params...\n\n"
      "# Board 1...\n\ttype \"t8\"\n\tsize 16\n\tirq  5\n\tioa  300\n"
      "\tdpa  d0000\n\n";
  std::ofstream(dir / "cfg") << "mode a\npkg kdz\ntype t8\nclass \"Eight ports\"\nbus at\n"
                                "sizes 16\nirqs 5\nioas-primary 300\n";
  std::ofstream(dir / "par") << par;
  std::ofstream(top / "delete") << "5\ny\nq\n";  // what the second editor would answer

  int to_first[2], from_first[2];
  ASSERT_EQ(pipe(to_first), 0);
  ASSERT_EQ(pipe(from_first), 0);
  const pid_t first = fork();
  if (first == 0) {
    dup2(to_first[0], 0);
    dup2(from_first[1], 1);
    close(to_first[1]);
    close(from_first[0]);
    if (chdir(dir.c_str()) == 0) execl(EDITPAR_BIN, "./editpar", nullptr);
    _exit(127);
  }
  close(to_first[0]);
  close(from_first[1]);
  std::string seen;
  std::size_t from = 0;
  ASSERT_TRUE(wait_for(from_first[0], seen, from, "Selection (1-5, q to quit): "));

  run_plan second = editor(top, dir, {"./editpar"}, top / "delete");
  EXPECT_EQ(run(second), 3);
  EXPECT_EQ(read_file(top / "out"), "");
  EXPECT_EQ(read_file(top / "err"), "./editpar: par is being edited by another editpar\n");
  EXPECT_EQ(read_file(dir / "par"), par);
  EXPECT_FALSE(fs::exists(dir / "par.old"));
  second.argv = {"./editpar", "-d", "1"};  // a script waits for no one either
  EXPECT_EQ(run(second), 3);
  EXPECT_EQ(read_file(top / "err"), "./editpar: par is being edited by another editpar\n");
  EXPECT_EQ(read_file(dir / "par"), par);
  for (const char* look : {"-l", "-c", "-m"}) {
    second.argv = {"./editpar", look};
    EXPECT_EQ(run(second), 0) << look;
    EXPECT_EQ(read_file(top / "err"), "") << look;
  }

  // The first editor goes on and quits; the set it saves is the one it read.
  ASSERT_EQ(write(to_first[1], "q\n", 2), 2);
  close(to_first[1]);
  int status = -1;
  waitpid(first, &status, 0);
  close(from_first[0]);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(read_file(dir / "par"), par);
  if (!HasFailure()) clean(top);
}

TEST(NoProgramName, FilesOfTheCurrentDirectory) {
  const fs::path top = scratch("no_name");
  const fs::path dir = top / "dir";
  fs::create_directories(dir);
  std::ofstream(dir / "cfg") << "mode i\ntype t8\nclass \"Eight ports\"\nbus at\nsizes 16\n"
                                "irqs 5\nioas-primary 300\n";
  std::ofstream(top / "answers") << "q\n";
  EXPECT_EQ(run(editor(top, dir, {}, top / "answers")), 0);
  EXPECT_EQ(read_file(top / "err"), "");
  EXPECT_EQ(read_file(dir / "par"),
            "# Common Params...\nmode interrupt\n\n# Per Board Params...\n\n");
  if (!HasFailure()) clean(top);
}

}  // namespace
