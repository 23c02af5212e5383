// The command lines of both programs as one table: the words given, the status and the
// first line each program prints on standard output and on standard error. Each call runs
// in a fresh directory holding the sample catalog and parameters beside a copy of the
// program, and a directory "pkg" holding the same two files.
#include <gtest/gtest.h>

#include "tests/golden.h"

namespace {

using namespace golden;

struct call {
  const char* program;  // "buildc" or "editpar"
  const char* words;    // after the program's name, "./buildc" or "./editpar"
  int status;
  const char* out;  // the first line of standard output
  const char* err;  // the first line of standard error
};

// clang-format off
const call cases[] = {
    {"buildc", "--help", 0, "usage: buildc [-C DIR] [-f] [-n | -o DIR]", ""},
    {"buildc", "-h", 0, "usage: buildc [-C DIR] [-f] [-n | -o DIR]", ""},
    {"buildc", "--version", 0, "buildc 1.1", ""},
    {"buildc", "-C pkg --version", 0, "buildc 1.1", ""},
    {"buildc", "-x", 2, "", "./buildc: unknown option -x"},
    {"buildc", "--helpme", 2, "", "./buildc: unknown option --helpme"},
    {"buildc", "x", 2, "", "./buildc: unexpected argument x"},
    {"buildc", "-h x", 2, "", "./buildc: unexpected argument x"},
    {"buildc", "-f -f", 0, "", ""},
    {"buildc", "-n -o pkg", 2, "", "./buildc: -n and -o exclude each other"},
    {"buildc", "-o pkg -n", 2, "", "./buildc: -n and -o exclude each other"},
    {"buildc", "-n -x", 2, "", "./buildc: unknown option -x"},
    {"buildc", "-C", 2, "", "./buildc: -C needs a directory"},
    {"buildc", "-o", 2, "", "./buildc: -o needs a directory"},
    {"buildc", "-o .", 2, "", "./buildc: -o names the package directory"},
    {"buildc", "-C pkg -o pkg/", 2, "", "./buildc: -o names the package directory"},
    {"buildc", "-o nowhere", 0, "", ""},
    {"buildc", "-o cfg", 1, "", "./buildc: -o cfg: Not a directory"},
    {"buildc", "-n", 0, "kdzspc.h", ""},
    {"buildc", "-f -n", 0, "kdzspc.h", ""},
    {"buildc", "-C pkg -n", 0, "kdzspc.h", ""},
    {"buildc", "-o pkg", 0, "", ""},
    {"buildc", "-C nowhere", 2, "", "./buildc: -C nowhere: No such file or directory"},
    {"editpar", "--help", 0, "usage: editpar [-C DIR] [-f] [at|mc]   create or edit \"par\" interactively", ""},
    {"editpar", "--version", 0, "editpar 1.1", ""},
    {"editpar", "-x", 2, "", "./editpar: unknown option -x"},
    {"editpar", "-l -d 1", 2, "", "./editpar: unexpected argument -d"},
    {"editpar", "-c -d 1", 2, "", "./editpar: unexpected argument -d"},
    {"editpar", "-c x", 2, "", "./editpar: unexpected argument x"},
    {"editpar", "-m -f", 2, "", "./editpar: unexpected argument -f"},
    {"editpar", "--version x", 2, "", "./editpar: unexpected argument x"},
    {"editpar", "isa", 2, "", "./editpar: unknown bus isa: use at or mc"},
    {"editpar", "-f isa", 2, "", "./editpar: unknown bus isa: use at or mc"},
    {"editpar", "at mc", 2, "", "./editpar: unexpected argument mc"},
    {"editpar", "-f -l", 2, "", "./editpar: unexpected argument -l"},
    {"editpar", "-x -a", 2, "", "./editpar: unknown option -x"},
    {"editpar", "-a", 2, "", "./editpar: -a needs a type"},
    {"editpar", "-C", 2, "", "./editpar: -C needs a directory"},
    {"editpar", "-C pkg -c", 0, "", ""},
    {"editpar", "-C pkg -m", 0, "pkg/par: interrupt mode, AT bus, 4 boards", ""},
    {"editpar", "-C nowhere -l", 2, "", "./editpar: -C nowhere: No such file or directory"},
    {"editpar", "-C nowhere -c", 2, "", "./editpar: -C nowhere: No such file or directory"},
};
// clang-format on

std::string first_line(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

class CommandLine : public testing::TestWithParam<call> {};

TEST_P(CommandLine, StatusAndFirstLines) {
  const call& c = GetParam();
  const fs::path top = scratch(std::string("command_line_") + c.program);
  const fs::path dir = top / "dir";
  fs::create_directories(dir / "pkg");
  for (const fs::path& d : {dir, dir / "pkg"}) {
    fs::copy_file(fs::path(SAMPLE_DIR) / "cfg", d / "cfg");
    fs::copy_file(fs::path(SAMPLE_DIR) / "par", d / "par");
  }
  run_plan plan;
  plan.exe = std::string(c.program) == "buildc" ? BUILDC_PATH : EDITPAR_BIN;
  plan.argv = words_of(c.words);
  plan.argv.insert(plan.argv.begin(), std::string("./") + c.program);
  plan.cwd = dir;
  plan.out = top / "out";
  plan.err = top / "err";
  fs::copy_file(plan.exe, dir / c.program);
  plan.exe = dir / c.program;
  EXPECT_EQ(run(plan), c.status);
  EXPECT_EQ(first_line(read_file(plan.out)), c.out);
  EXPECT_EQ(first_line(read_file(plan.err)), c.err);
  if (!HasFailure()) clean(top);
}

INSTANTIATE_TEST_SUITE_P(Calls, CommandLine, testing::ValuesIn(cases), [](const auto& info) {
  return std::string(info.param.program) + "_" + std::to_string(info.index);
});

}  // namespace
