#include <string>

#include "libcfg/file_test_util.h"

using namespace std::string_literals;

namespace {

const std::string w = "load_params: WARNING - ";

struct par_test : file_test {
  void SetUp() override {
    file_test::SetUp();
    load_cfg("type \"Eight Port\"\nclass Eight\ntype big\nclass Sixteen\n");
  }
  // Two boards of the catalog's two types.
  void two_boards(int bus, int mode) {
    params = {2, static_cast<std::uint8_t>(bus), static_cast<std::uint8_t>(mode), {}};
    params.boards[0] = {0, 8, 5, 0x300, 0xd8000};
    params.boards[1] = {1, 16, 5, 0, 0xffffffff};
  }
};

TEST_F(par_test, ReadsBoardsAndWarns) {
  EXPECT_EQ(load_par("# comment\nbus MC\nmode x p i\ntype big\nsize 64\nirq 5\nioa 2A8\n"
                     "dpa d0000\nirq 7\ntype nosuch\nsize 99\ntype \"Eight Port\"\nsizes 8\n"),
            w + "invalid driver mode: x.\n" + w + "unknown board type: nosuch.\n" + w +
                "unknown parameter: sizes.\n");
  EXPECT_EQ(params.bus, BUS_MC);
  EXPECT_EQ(params.mode, MODE_POLL);  // the first valid word wins
  ASSERT_EQ(params.nboards, 2);
  EXPECT_EQ(dump(params.boards[0]), "1 64 7 2a8 d0000");
  EXPECT_EQ(dump(params.boards[1]), "0 0 0 0 0");
  EXPECT_EQ(garbage.size, 99);
  load_par("mode i p\n");
  EXPECT_EQ(params.mode, MODE_INTERRUPT);
  EXPECT_EQ(params.bus, 0);
}

TEST_F(par_test, WarnsAboutLinesAndBoardsItCannotTake) {
  std::string nine;
  for (int i = 0; i < 9; ++i) nine += "type big\nsize " + std::to_string(i) + "\n";
  const struct {
    std::string text, out;
    int nboards;
  } cases[] = {
      {"size 8\nirq\nioa 300\nmode\nbus\ntype\n",
       w + "no board yet: size.\n" + w + "missing value: irq.\n" + w + "no board yet: ioa.\n" + w +
           "missing value: bus.\n" + w + "missing value: type.\n",
       0},
      {"bus isa\ntype x\ndpa 1\n", w + "invalid bus type: isa.\n" + w + "unknown board type: x.\n",
       0},
      {nine + "type nosuch\nirq 4\n",
       w + "too many boards: big.\n" + w + "unknown board type: nosuch.\n", 8},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(load_par(c.text), c.out) << c.text;
    EXPECT_EQ(params.nboards, c.nboards);
  }
  EXPECT_EQ(params.boards[7].size, 7);
  EXPECT_EQ(dump(garbage), "0 8 4 0 1");  // the sink keeps what every dropped board set
}

TEST_F(par_test, SavedSetReadsBack) {
  const struct {
    int mode, bus;
    const char* head;
  } cases[] = {
      {1, 1, "# Common Params...\nmode interrupt\n\nbus at\n"},
      {2, 2, "# Common Params...\nmode polling\nbus mc\n"},
      {0, 0, "# Common Params...\nbus mc\n"},  // an unset mode gets no line
  };
  const std::string boards =
      "# Per Board Params...\n\n"
      "# Board 1...\n\ttype \"Eight Port\"\n\tsize 8\n\tirq  5\n\tioa  300\n\tdpa  d8000\n\n"
      "# Board 2...\n\ttype \"big\"\n\tsize 16\n\tirq  5\n\tioa  0\n\tdpa  ffffffff\n\n";
  for (const auto& c : cases) {
    two_boards(c.bus, c.mode);
    ASSERT_EQ(save_params(prog.c_str()), 0);
    const std::string text = read("par");
    EXPECT_EQ(text, c.head + boards);
    params = {};
    EXPECT_EQ(load_par(text), "");
    EXPECT_EQ(params.mode, c.mode);
    EXPECT_EQ(params.bus, c.bus == 0 ? BUS_MC : c.bus);
    ASSERT_EQ(params.nboards, 2);
    EXPECT_EQ(dump(params.boards[0]) + "," + dump(params.boards[1]),
              "0 8 5 300 d8000,1 16 5 0 ffffffff");
    ASSERT_EQ(save_params(prog.c_str()), 0);
    EXPECT_EQ(read("par"), text);
  }
}

TEST_F(par_test, ReportsFilesItCannotOpen) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(load_params(prog.c_str()), nullptr);
  const std::string bad = dir + "/none/prog";
  EXPECT_EQ(save_params(bad.c_str()), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            prog + ": load_params: fopen(" + dir + "/par) No such file or directory\n" + bad +
                ": save_params: fopen(" + dir + "/none/par) No such file or directory\n");
}

TEST_F(par_test, ListsParameters) {
  two_boards(BUS_AT, MODE_POLL);
  testing::internal::CaptureStdout();
  print_params();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "\nCommon Params...\nmode: polling \nbus : at\nPer Board Params...\n"
            "0) Eight  \tioa: 300\tdpa: d8000\tdps: 8  \tirq: 5\n"
            "1) Sixteen  \tioa: 0\tdpa: ffffffff\tdps: 16  \tirq: 5\n");
}

TEST_F(par_test, FreshSetTakesBusFromCommandLine) {
  const struct {
    int argc;
    const char* arg;
    int bus;
  } cases[] = {{1, nullptr, 0}, {2, "at", 1}, {2, "AT", 1}, {2, "mc", 2}, {2, "", 2}};
  for (const auto& c : cases) {
    two_boards(BUS_AT, MODE_POLL);
    char* argv[] = {const_cast<char*>("editpar"), const_cast<char*>(c.arg), nullptr};
    EXPECT_EQ(init_params(c.argc, argv), &params);
    EXPECT_EQ(params.bus, c.bus) << c.argc << " " << (c.arg ? c.arg : "");
    EXPECT_EQ(params.nboards + params.mode, 0);
    EXPECT_EQ(params.boards[0].size, 8);  // the slots are left alone
  }
}

TEST_F(par_test, SurvivesHostileBytes) {
  std::string bytes, many;
  for (int i = 0; i < 40000; ++i) bytes += static_cast<char>(i * 7919 % 256);
  for (int i = 0; i < 5000; ++i) many += "type big\n";
  const std::string inputs[] = {bytes, many, "type " + std::string(10000, 'b') + "\n",
                                "type big\0x\nsize 9\0 1\n"s};
  for (const auto& text : inputs) {
    EXPECT_TRUE(only_warnings(load_par(text), w));
    EXPECT_LE(params.nboards, MAX_BOARDS);
  }
  EXPECT_EQ(params.nboards, 1);
  EXPECT_EQ(params.boards[0].size, 9);
}

}  // namespace
