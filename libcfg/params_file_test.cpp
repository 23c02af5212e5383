#include <string>

#include "libcfg/file_test_util.h"

namespace {

struct par_test : file_test {
  const std::string w = "load_params: WARNING - ";
  void SetUp() override {
    file_test::SetUp();
    load_cfg("type \"Eight Port\"\nclass Eight\ntype big\nclass Sixteen\n");
  }
};

bool same_board(const board_rec& a, const board_rec& b) {
  return a.type == b.type && a.size == b.size && a.irq == b.irq && a.ioa == b.ioa && a.dpa == b.dpa;
}

TEST_F(par_test, ReadsBoardsAndWarns) {
  const std::string out = load_par(
      "# comment\nbus MC\nmode x p i\ntype big\nsize 64\nirq 5\nioa 2A8\ndpa d0000\nirq 7\n"
      "type nosuch\nsize 99\nirq 3\ntype \"Eight Port\"\nsizes 8\nbus\nsize\ntype\n");
  EXPECT_EQ(out, w + "invalid driver mode: x.\n" + w + "unknown board type: nosuch.\n" + w +
                     "unknown parameter: sizes.\n" + w + "missing value: bus.\n" + w +
                     "missing value: size.\n" + w + "missing value: type.\n");
  EXPECT_EQ(params.bus, BUS_MC);
  EXPECT_EQ(params.mode, MODE_POLL);
  ASSERT_EQ(params.nboards, 2);
  EXPECT_TRUE(same_board(params.boards[0], {1, 64, 7, 0x2a8, 0xd0000}));
  EXPECT_TRUE(same_board(params.boards[1], {0, 0, 0, 0, 0}));
  EXPECT_EQ(garbage.size, 99);
  load_par("mode i p\n");
  EXPECT_EQ(params.mode, MODE_INTERRUPT);
  EXPECT_EQ(params.bus, 0);
}

TEST_F(par_test, WarnsAboutBoardsItCannotTake) {
  std::string nine;
  for (int i = 0; i < 9; ++i) nine += "type big\nsize " + std::to_string(i) + "\n";
  const struct {
    std::string text;
    std::string out;
    int nboards;
  } cases[] = {
      {"size 8\nirq\nioa 300\nmode\n",
       w + "no board yet: size.\n" + w + "missing value: irq.\n" + w + "no board yet: ioa.\n", 0},
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
  EXPECT_EQ(garbage.size, 8);
  EXPECT_EQ(garbage.irq, 4);
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
    params = {2, static_cast<std::uint8_t>(c.bus), static_cast<std::uint8_t>(c.mode), {}};
    params.boards[0] = {0, 8, 5, 0x300, 0xd8000};
    params.boards[1] = {1, 16, 5, 0, 0xffffffff};
    const params_rec saved = params;
    ASSERT_EQ(save_params(prog.c_str()), 0);
    const std::string text = read("par");
    EXPECT_EQ(text, c.head + boards);
    params = {};
    EXPECT_EQ(load_par(text), "");
    EXPECT_EQ(params.mode, saved.mode);
    EXPECT_EQ(params.bus, c.bus == 0 ? BUS_MC : c.bus);
    ASSERT_EQ(params.nboards, 2);
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(same_board(params.boards[i], saved.boards[i]));
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
  params = {2, BUS_AT, MODE_POLL, {}};
  params.boards[0] = {0, 8, 5, 0x300, 0xd8000};
  params.boards[1] = {1, 16, 5, 0, 0xffffffff};
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
  } cases[] = {{1, nullptr, 0}, {2, "at", 1},  {2, "AT", 1},
               {2, "mc", 2},    {2, "isa", 2}, {2, "", 2}};
  for (const auto& c : cases) {
    params = {3, 1, 1, {}};
    params.boards[0].size = 8;
    char* argv[] = {const_cast<char*>("editpar"), const_cast<char*>(c.arg), nullptr};
    EXPECT_EQ(init_params(c.argc, argv), &params);
    EXPECT_EQ(params.bus, c.bus) << c.argc << " " << (c.arg ? c.arg : "");
    EXPECT_EQ(params.nboards + params.mode, 0);
    EXPECT_EQ(params.boards[0].size, 8);
  }
}

TEST_F(par_test, SurvivesHostileBytes) {
  std::string bytes;
  for (int i = 0; i < 40000; ++i) bytes += static_cast<char>(i * 7919 % 256);
  std::string many;
  for (int i = 0; i < 5000; ++i) many += "type big\n";
  const std::string inputs[] = {bytes, many, "type " + std::string(10000, 'b') + "\n",
                                std::string("type big\0x\nsize 9\0 1\n", 21)};
  for (const auto& text : inputs) {
    const std::string out = load_par(text);
    for (std::size_t at = 0; at < out.size(); at = out.find('\n', at) + 1) {
      ASSERT_EQ(out.compare(at, w.size(), w), 0) << "output: " << out.substr(at, 40);
    }
    EXPECT_LE(params.nboards, MAX_BOARDS);
  }
  EXPECT_EQ(params.nboards, 1);
  EXPECT_EQ(params.boards[0].size, 9);
}

}  // namespace
