#include <algorithm>
#include <string>

#include "libcfg/file_test_util.h"

namespace {

struct check_test : file_test {
  void SetUp() override {
    file_test::SetUp();
    load_cfg(
        "mode i\nbus at\n"
        "type at8\nclass AT8\nt_code 1\nsizes 16 32\nirqs 3 5 7 9\nioas-primary 2a0 2a8 300\n"
        "ioas-extras 100 2a4\n"
        "type eisa\nclass EISA\nt_code 10\nsizes 64\nirqs 5 11\nextended_mem y\n"
        "type mc8\nclass MC8\nbus mc\nt_code 3\nsizes 16 64\nirqs 3 4\nioas-primary 1000 2000\n");
  }
  // The findings on a fresh load of `par`, checking that the count matches the lines.
  std::string check(const std::string& par) {
    params = {};
    load_par(par);
    testing::internal::CaptureStdout();
    const int count = check_set(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(count, std::count(out.begin(), out.end(), '\n')) << par;
    return out;
  }
};

// A board of each type that passes every rule; the memory windows may be shared.
std::string at8(const char* size, const char* irq, const char* ioa, const char* dpa) {
  return std::string("type at8\nsize ") + size + "\nirq " + irq + "\nioa " + ioa + "\ndpa " + dpa +
         "\n";
}
const std::string set = "mode interrupt\nbus at\n";
const std::string a1 = at8("16", "5", "2a0", "d0000");
const std::string e2 = "type eisa\nsize 64\nirq 11\ndpa 100000\n";

TEST_F(check_test, OneLinePerFindingInBoardOrder) {
  const struct {
    std::string par, out;
  } cases[] = {
      {set + a1 + e2, ""},
      {"bus at\n" + a1, "mode is not set (the catalog allows interrupt)\n"},
      {"mode poll\nbus at\n" + a1, "mode polling is not allowed (the catalog allows interrupt)\n"},
      {set + at8("16", "3", "2a0", "d0000") + at8("16", "5", "2a8", "d0000") +
           at8("16", "7", "300", "d0000") + at8("16", "9", "100", "d0000") + e2,
       "5 boards are more than the editor adds (at most 4)\n"},
      {set + a1 + "type mc8\nsize 16\nirq 3\nioa 1000\n",
       "board 2: type mc8 is for the mc bus, not the set's (at)\n"},
      {set + at8("24", "5", "2a0", "d0000"),
       "board 1: size 24 is not offered by its type (16, 32)\n"},
      {"mode i\nbus mc\ntype mc8\nsize 64\nirq 3\nioa 2000\n",
       "board 1: size 64 is not allowed on the mc bus with an I/O address (16)\n"},
      {set + at8("16", "10", "2a0", "d0000"),
       "board 1: irq 10 is not offered by its type (3, 5, 7, 9)\n"},
      {set + a1 + "type eisa\nsize 64\nirq 5\n",
       "board 2: irq 5 is also used by board 1 (EISA and ISA boards cannot share an irq)\n"},
      {set + a1 + at8("16", "5", "2a8", "0") + at8("16", "7", "300", "0"),
       "board 2: irq 5 is also used by board 1 (irqs must be all the same or all different)\n"},
      {set + at8("16", "5", "2b0", "d0000"),
       "board 1: I/O address 2b0 is not offered by its type (2a0, 2a8, 300, 100, 2a4)\n"},
      {set + a1 + at8("32", "5", "2a4", "d0000"),
       "board 2: I/O range 2a4-2ab overlaps board 1's (2a0-2a7)\n"},
      {set + at8("16", "5", "2a0", "100000"),
       "board 1: memory address 100000 is not below 1 Mbyte (its type has no extended memory)\n"},
      {set + at8("16", "5", "2a0", "d8400"),
       "board 1: memory address d8400 is not on a boundary of its size (16 Kbyte)\n"},
      {set + at8("32", "10", "2a0", "d4000") + at8("16", "5", "2a4", "d0000") +
           "type eisa\nsize 32\nirq 5\nioa 300\ndpa 100000\n" + at8("16", "7", "300", "d0000") +
           at8("16", "3", "100", "d0000"),
       "5 boards are more than the editor adds (at most 4)\n"
       "board 1: irq 10 is not offered by its type (3, 5, 7, 9)\n"
       "board 1: memory address d4000 is not on a boundary of its size (32 Kbyte)\n"
       "board 2: I/O range 2a4-2ab overlaps board 1's (2a0-2a7)\n"
       "board 3: size 32 is not offered by its type (64)\n"
       "board 3: irq 5 is also used by board 2 (EISA and ISA boards cannot share an irq)\n"
       "board 3: I/O address 300 is not offered by its type (0)\n"
       "board 4: I/O range 300-307 overlaps board 3's (300-307)\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(check(c.par), c.out) << c.par;
}

// In polled operation the interrupt lines are not looked at.
TEST_F(check_test, PollingIgnoresInterruptLines) {
  load_cfg("mode a\ntype at8\nclass AT8\nbus at\nsizes 16\nirqs 3\nioas-primary 2a0 2a8\n");
  EXPECT_EQ(check("mode polling\nbus at\n" + at8("16", "9", "2a0", "0") +
                  at8("16", "9", "2a8", "0") + at8("16", "7", "2a0", "0")),
            "board 3: I/O range 2a0-2a7 overlaps board 1's (2a0-2a7)\n");
}

}  // namespace
