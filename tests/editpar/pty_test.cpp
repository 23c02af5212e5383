// The editor on a terminal: every question must have reached it before an answer is sent,
// and a note comes on a line of its own.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>

#include "tests/support/golden.h"

namespace {

using namespace support;

TEST(Terminal, AddsBoardAndSaves) {
  const fs::path dir = scratch("editpar_pty");
  std::ofstream(dir / "cfg") << "mode a\ntype t8\nclass \"Eight ports\"\nbus at\nsizes 16\n"
                                "irqs 5\nioas-primary 300\n";
  int fd = -1;
  const pid_t pid = forkpty(&fd, nullptr, nullptr, nullptr);
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (chdir(dir.c_str()) == 0) execl(EDITPAR_BIN, "./editpar", "at", nullptr);
    _exit(127);
  }
  const struct {
    const char* prompt;
    const char* answer;
  } steps[] = {
      {"Should the driver poll or be interrupted? (i or p) ", "i\n"},
      {"Selection (1-5, q to quit): ", "3x\n"},
      // The note stands on its own line under the echoed answer, before what follows it.
      {"3x\r\nnote: \"3x\" is not a number: read as 3\r\nAdding board 1...\r\n", ""},
      {"What memory address is board 1 to use? ", "d0000\n"},
      {"Ok to add board 1 (y or n): ", "y\n"},
      {"Selection (1-5, q to quit): ", "q\n"},
  };
  std::string seen;
  std::size_t from = 0;
  for (const auto& s : steps) {
    ASSERT_TRUE(wait_for(fd, seen, from, s.prompt)) << s.prompt << " never came; seen:\n" << seen;
    ASSERT_EQ(write(fd, s.answer, std::strlen(s.answer)), static_cast<ssize_t>(strlen(s.answer)));
  }
  int status = -1;
  waitpid(pid, &status, 0);
  close(fd);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(read_file(dir / "par"),
            "# Common Params...\nmode interrupt\n\nbus at\n# Per Board Params...\n\n"
            "# Board 1...\n\ttype \"t8\"\n\tsize 16\n\tirq  5\n\tioa  300\n\tdpa  d0000\n\n");
  fs::remove_all(dir);
}

}  // namespace
