// The editor on a terminal: every question must have reached it before an answer is sent,
// and a note comes on a line of its own.
#include <gtest/gtest.h>

#include "tests/support/golden.h"

namespace {

using namespace support;

TEST(Terminal, AddsBoardAndSaves) {
  const fs::path dir = scratch("editpar_pty");
  write_file(
      dir / "cfg",
      "mode a\ntype t8\nclass \"Eight ports\"\nbus at\nsizes 16\nirqs 5\nioas-primary 300\n");
  run_plan plan{EDITPAR_BIN, {"./editpar", "at"}, dir, "", "", ""};
  plan.terminal = true;
  started editor(plan);
  const std::pair<const char*, const char*> steps[] = {
      // a prompt, the answer to it
      {"Should the driver poll or be interrupted? (i or p) ", "i\n"},
      {"Selection (1-5, q to quit): ", "3x\n"},
      // The note stands on its own line under the echoed answer, before what follows it.
      {"3x\r\nnote: \"3x\" is not a number: read as 3\r\nAdding board 1...\r\n", ""},
      {"What memory address is board 1 to use? ", "d0000\n"},
      {"Ok to add board 1 (y or n): ", "y\n"},
      {"Selection (1-5, q to quit): ", "q\n"},
  };
  for (const auto& [prompt, answer] : steps) {
    ASSERT_TRUE(editor.shows(prompt)) << prompt << " never came";
    ASSERT_TRUE(editor.send(answer));
  }
  EXPECT_EQ(editor.finish(), 0);
  EXPECT_EQ(read_file(dir / "par"),
            "# Common Params...\nmode interrupt\n\nbus at\n# Per Board Params...\n\n"
            "# Board 1...\n\ttype \"t8\"\n\tsize 16\n\tirq  5\n\tioa  300\n\tdpa  d0000\n\n");
  clean(dir);
}

}  // namespace
