// The shared rules of a board set: the interrupt-sharing rules and the dual-port address tests.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "model/catalog.h"
#include "model/records.h"
#include "model/rules.h"

namespace kdz {

// Boards as {type, irq}: type 0 has another type code, type 1 is EISA.
TEST(IrqRuleBroken, FirstRuleBrokenOnly) {
  catalog cat{};
  cat.config.types[0].t_code = 3;
  cat.config.types[1].t_code = EISA_T_CODE;
  using boards = std::vector<std::array<std::uint16_t, 2>>;
  const std::array<int, 2> none = {-1, -1};
  const struct {
    const char* name;
    std::uint8_t mode;
    boards set;
    irq_fault fault;
    std::array<int, 2> pair;  // the first offending boards
  } cases[] = {
      {"no boards", 1, {}, IRQ_OK, none},
      {"eisa boards share", 1, {{1, 5}, {1, 5}}, IRQ_OK, none},
      {"all the same", 1, {{0, 5}, {0, 5}, {0, 5}}, IRQ_OK, none},
      {"polled: no rule", 2, {{0, 5}, {1, 5}, {0, 7}}, IRQ_OK, none},
      {"all different", 1, {{0, 5}, {0, 7}, {0, 9}}, IRQ_OK, none},
      {"first two shared", 1, {{0, 5}, {0, 5}, {0, 7}}, IRQ_MIXED, {0, 1}},
      {"second differs from the first", 1, {{0, 5}, {0, 7}, {0, 5}}, IRQ_MIXED, {0, 2}},
      {"unset mode: the rule holds", 0, {{0, 7}, {0, 5}, {0, 5}}, IRQ_MIXED, {1, 2}},
      {"eisa first, others shared", 1, {{1, 11}, {0, 5}, {0, 5}}, IRQ_MIXED, {1, 2}},
      {"breaks both: the first counts", 1, {{0, 5}, {0, 7}, {1, 7}}, IRQ_EISA_SHARED, {1, 2}}};
  for (const auto& c : cases) {
    params_rec set{};
    set.mode = c.mode;
    for (const auto& [type, irq] : c.set) set.boards[set.nboards++] = {type, 16, irq, 0, 0};
    std::array<int, 2> pair = none;
    EXPECT_EQ(irq_rule_broken(cat, &set, pair.data()), c.fault) << c.name;
    EXPECT_EQ(pair, c.pair) << c.name;
  }
}

TEST(DpAddrFault, OneMbyteThenBoundary) {
  const struct {
    const char* name;
    std::uint32_t addr;
    std::uint16_t attr;
    int size;
    dp_fault fault;
  } cases[] = {{"on its boundary", 0xd8000, 0, 16, DP_OK},
               {"extended memory", 0x100000, ATTR_EXTMEM, 16, DP_OK},
               {"last byte below 1 Mbyte", 0xFFFFF, 0, 1, DP_OFF_BOUNDARY},
               {"above 1 Mbyte", 0x100400, 0, 1, DP_ABOVE_1MB},
               {"none", 0, 0, 0, DP_OK},
               {"size 0 takes only 0", 0x10, 0, 0, DP_OFF_BOUNDARY},
               {"a Kbyte is 1024 bytes", 0xd0080, 0, 16, DP_OFF_BOUNDARY},
               {"24: not a power of two", 0x6000, 0, 24, DP_OFF_BOUNDARY},
               {"24: a bit test, not a division", 0x8000, 0, 24, DP_OK}};
  for (const auto& c : cases) EXPECT_EQ(dp_addr_fault(c.addr, c.attr, c.size), c.fault) << c.name;
}

}  // namespace kdz
