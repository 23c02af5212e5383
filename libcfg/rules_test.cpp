#include <gtest/gtest.h>

#include <vector>

#include "libcfg/editor_test_util.h"

namespace {

struct board {
  int type;  // 0: other type code, 1: EISA
  int irq;
};

TEST(CheckParams, InterruptSharingRules) {
  config.types[0].t_code = 3;
  config.types[1].t_code = EISA_T_CODE;
  const char* eisa = "\nEISA and ISA boards cannot share IRQ's.\n";
  const char* mixed = "\nIRQ's must be all the same or all different.\n";
  const struct {
    int mode;
    std::vector<board> boards;
    irq_fault fault;
    const char* message;
  } cases[] = {
      {1, {}, IRQ_OK, ""},
      {1, {{0, 5}}, IRQ_OK, ""},
      {1, {{0, 5}, {0, 5}, {0, 5}}, IRQ_OK, ""},
      {1, {{0, 5}, {0, 7}, {0, 9}}, IRQ_OK, ""},
      {1, {{0, 5}, {0, 5}, {0, 7}}, IRQ_MIXED, mixed},
      {0, {{0, 7}, {0, 5}, {0, 5}}, IRQ_MIXED, mixed},
      {2, {{0, 5}, {0, 5}, {0, 7}}, IRQ_OK, ""},
      {1, {{0, 5}, {1, 5}}, IRQ_EISA_SHARED, eisa},
      {1, {{1, 5}, {1, 5}}, IRQ_OK, ""},
      {0, {{1, 0}, {0, 0}}, IRQ_EISA_SHARED, eisa},
      {1, {{1, 11}, {0, 5}, {0, 5}}, IRQ_MIXED, mixed},
      {1, {{1, 5}, {0, 5}, {0, 7}, {1, 7}}, IRQ_EISA_SHARED, eisa},  // many pairs, one message
  };
  for (const auto& c : cases) {
    params.mode = static_cast<std::uint8_t>(c.mode);
    params.nboards = static_cast<int>(c.boards.size());
    for (std::size_t i = 0; i < c.boards.size(); ++i) {
      params.boards[i] = {static_cast<std::uint16_t>(c.boards[i].type), 16,
                          static_cast<std::uint16_t>(c.boards[i].irq), 0, 0};
    }
    EXPECT_EQ(irq_rule_broken(&params), c.fault);
    int passed = -1;
    const auto d = talk("", [&] { passed = check_params(); });
    EXPECT_EQ(passed, c.fault == IRQ_OK);
    EXPECT_EQ(d.out, c.message);
  }
  params = {};
  config = {};
}

TEST(IoaChoices, PrimaryThenExtrasFirstSixteen) {
  const value_list primary = {2, {0x300, 0x2a0}};
  value_list extras = {16, {}};
  for (int i = 0; i < 16; ++i) extras.values[i] = i;
  const value_list c = ioa_choices(&primary, &extras);
  EXPECT_EQ(c.count, 16);
  EXPECT_EQ(c.values[0], 0x300);
  EXPECT_EQ(c.values[2], 0);
  EXPECT_EQ(c.values[15], 13);
  EXPECT_EQ(list_index(&c, 14), -1);
}

}  // namespace
