#include <gtest/gtest.h>

#include <functional>

#include "libcfg/editor_test_util.h"

namespace {

TEST(ListPrompts, TextsBuiltPieceByPiece) {
  const value_list irqs3 = {3, {3, 5, 7}};
  const value_list irqs2 = {2, {3, 7}};
  const value_list sizes = {2, {8, 16}};
  const value_list primary = {3, {0x2a0, 0x2a8, 0x300}};
  const value_list extras = {1, {0x100}};
  const value_list none = {0, {}};
  const value_list one = {1, {0x1234}};
  const struct {
    std::function<int()> call;
    const char* answers;
    int result;
    const char* out;
  } cases[] = {
      {[&] { return get_irq(0, &irqs3); }, "4\n5\n", 5,
       "What IRQ is board 1 to use? (3, 5, or 7) Valid IRQ values are: 3, 5, or 7 \n"
       "What IRQ is board 1 to use? (3, 5, or 7) "},
      {[&] { return get_irq(2, &irqs2); }, "7\n", 7, "What IRQ is board 3 to use? (3, or 7) "},
      {[&] { return get_mem_size(1, &sizes); }, "16\n", 16,
       "What size is the dual port on board 2? (8, or 16) "},
      {[&] { return get_ioa(1, &primary, &extras); }, "108\n2A8\n", 0x2a8,
       "What I/O address is board 2 to use? (2a0, 2a8, or 300) "
       "Valid I/O address values are: 2a0, 2a8, or 300 \n"
       "What I/O address is board 2 to use? (2a0, 2a8, or 300) "},
      {[&] { return get_ioa(0, &primary, &extras); }, "100\n", 0x100,
       "What I/O address is board 1 to use? (2a0, 2a8, or 300) "},
      {[&] { return get_ioa(0, &none, &extras); }, "", 0, ""},
      {[&] { return get_ioa(0, &one, &extras); }, "", 0x1234, ""},
      {[&] { return get_irq(0, &one); }, "", 0x1234, ""},
      {[&] { return get_mem_size(0, &none); }, "", 0, ""},
  };
  for (const auto& c : cases) {
    int got = -1;
    const auto d = talk(c.answers, [&] { got = c.call(); });
    EXPECT_EQ(got, c.result) << c.out;
    EXPECT_EQ(d.out, c.out);
    EXPECT_FALSE(d.ended) << c.out;
  }
}

TEST(ListPrompts, LongListsAreCutAndCapped) {
  value_list primary = {10, {}};
  value_list extras = {10, {}};
  for (int i = 0; i < 10; ++i) primary.values[i] = 0x100 + i;
  for (int i = 0; i < 10; ++i) extras.values[i] = 0x200 + i;
  int got = 0;
  // 0x205 is the 16th choice and is kept; 0x206 is the 17th and refused.
  auto d = talk("206\n205\n", [&] { got = get_ioa(0, &primary, &extras); });
  EXPECT_EQ(got, 0x205);
  const std::string question =
      "What I/O address is board 1 to use? (100, 101, 102, 103, 104, 105, 106, 107, 10";
  ASSERT_EQ(question.size(), 79u);
  EXPECT_EQ(d.out.substr(0, 80), question + "V");
}

TEST(GetDpAddr, OneMbyteAndBoundaryTests) {
  const struct {
    std::uint16_t attr;
    std::uint16_t size;
    const char* answers;
    std::uint32_t result;
    const char* message;
  } cases[] = {
      {0, 16, "d8000\n", 0xd8000, ""},
      {0, 16, "d8400\nd8000\n", 0xd8000,
       "Memory address for this board must be on a 16 Kbyte boundary.\n"},
      {0, 16, "100000\n0\n", 0, "Memory address for this board must be below 1 Mbyte.\n"},
      {ATTR_EXTMEM, 16, "100000\n", 0x100000, ""},
      {0, 16, "\n", 0, ""},
      {0, 0, "10\n0\n", 0, "Memory address for this board must be on a 0 Kbyte boundary.\n"},
      {0, 8, "0xd8000\n", 0, ""},
  };
  for (const auto& c : cases) {
    btype_rec type{};
    type.attr = c.attr;
    params.boards[1].size = c.size;
    std::uint32_t got = 1;
    const auto d = talk(c.answers, [&] { got = get_dp_addr(1, &type); });
    EXPECT_EQ(got, c.result) << c.answers;
    const std::string q = "What memory address is board 2 to use? ";
    const std::string again = *c.message ? c.message + q : "";
    EXPECT_EQ(d.out, q + again) << c.answers;
  }
}

TEST(GetMode, AsksOnlyWhenBothModesAllowed) {
  const struct {
    std::uint8_t modes;
    const char* answers;
    std::uint8_t mode;
    bool asked;
  } cases[] = {{1, "", 1, false}, {2, "", 2, false}, {3, "P\n", 2, true}, {3, "x\ni\n", 1, true}};
  for (const auto& c : cases) {
    config.modes = c.modes;
    params.mode = 0;
    const auto d = talk(c.answers, get_mode);
    EXPECT_EQ(params.mode, c.mode);
    EXPECT_EQ(d.out.starts_with("Should the driver poll or be interrupted? (i or p) "), c.asked);
  }
  config.modes = 0;
  params.mode = 0;
}

}  // namespace
