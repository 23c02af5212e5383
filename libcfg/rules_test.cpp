#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "libcfg/libcfg.h"

namespace {

TEST(IrqRuleBroken, FirstRuleBrokenOnly) {
  config.types[0].t_code = 3;
  config.types[1].t_code = EISA_T_CODE;
  struct board {
    std::uint16_t type;  // 0: another type code, 1: EISA
    std::uint16_t irq;
  };
  const struct {
    std::uint8_t mode;
    std::vector<board> boards;
    irq_fault fault;
    std::array<int, 2> pair;  // the first offending boards, {-1, -1} when none
  } cases[] = {
      {1, {}, IRQ_OK, {-1, -1}},
      {1, {{0, 5}, {0, 5}, {0, 5}}, IRQ_OK, {-1, -1}},
      {1, {{0, 5}, {0, 7}, {0, 9}}, IRQ_OK, {-1, -1}},
      {1, {{0, 5}, {0, 5}, {0, 7}}, IRQ_MIXED, {0, 1}},
      {0, {{0, 7}, {0, 5}, {0, 5}}, IRQ_MIXED, {1, 2}},
      {2, {{0, 5}, {1, 5}, {0, 7}}, IRQ_OK, {-1, -1}},
      {1, {{0, 5}, {1, 5}}, IRQ_EISA_SHARED, {0, 1}},
      {1, {{1, 5}, {1, 5}}, IRQ_OK, {-1, -1}},
      {1, {{1, 11}, {0, 5}, {0, 5}}, IRQ_MIXED, {1, 2}},
      {1, {{0, 5}, {0, 7}, {1, 7}}, IRQ_EISA_SHARED, {1, 2}},  // breaks both: the first counts
  };
  for (const auto& c : cases) {
    params = {};
    params.mode = c.mode;
    for (const board& b : c.boards) params.boards[params.nboards++] = {b.type, 16, b.irq, 0, 0};
    std::array<int, 2> pair = {-1, -1};
    EXPECT_EQ(irq_rule_broken(&params, pair.data()), c.fault) << "case " << &c - cases;
    EXPECT_EQ(pair, c.pair) << "case " << &c - cases;
  }
  params = {};
  config = {};
}

TEST(DpAddrFault, OneMbyteThenBoundary) {
  const struct {
    std::uint32_t addr;
    std::uint16_t attr;
    int size;
    dp_fault fault;
  } cases[] = {
      {0xd8000, 0, 16, DP_OK},
      {0xd8400, 0, 16, DP_OFF_BOUNDARY},
      {0x100000, 0, 16, DP_ABOVE_1MB},
      {0x100000, ATTR_EXTMEM, 16, DP_OK},
      {0xFFFFF, 0, 1, DP_OFF_BOUNDARY},
      {0x100400, 0, 1, DP_ABOVE_1MB},
      {0, 0, 0, DP_OK},
      {0x10, 0, 0, DP_OFF_BOUNDARY},
      {0x6000, 0, 24, DP_OFF_BOUNDARY},  // the bit test, not a division
      {0x8000, 0, 24, DP_OK},
  };
  for (const auto& c : cases) EXPECT_EQ(dp_addr_fault(c.addr, c.attr, c.size), c.fault) << c.addr;
}

}  // namespace
