// The resource map as decided before it is drawn: who holds each cell of the memory row,
// which boards are listed outside it, the order of the I/O list, and where each finding
// stands.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "check/check.h"
#include "check/map.h"
#include "model/records.h"

namespace kdz {

namespace {

std::string cells_of(const memory_row& row) {
  std::string cells;
  for (const int owner : row.owner) {
    cells += owner == CELL_FREE ? '.' : owner == CELL_SHARED ? '*' : static_cast<char>('0' + owner);
  }
  return cells;
}

TEST(MemoryCells, WindowsOnTheRowAndOutsideIt) {
  const struct {
    const char* name;
    std::vector<std::pair<std::uint32_t, std::uint16_t>> boards;  // {dpa, size} of each
    const char* cells;         // owner of each cell: '.' free, a board's number, '*' shared
    std::vector<int> outside;  // the boards listed outside the row, in order
    std::vector<int> first;    // the cell where each board's window enters the row, or -1
  } cases[] = {
      {"no boards", {}, "........................", {}, {}},
      {"within one cell", {{0xa2000, 4}}, "1.......................", {}, {0}},
      {"ends at fffff", {{0xfc000, 16}}, ".......................1", {}, {23}},
      {"runs past fffff", {{0xfc000, 32}}, ".......................1", {0}, {23}},
      {"starts below a0000", {{0x9c000, 32}}, "1.......................", {0}, {0}},
      {"ends at a0000", {{0x9fc01, 1}}, "1.......................", {0}, {0}},
      {"ends at 100000", {{0xfc001, 16}}, ".......................1", {0}, {23}},
      {"ends at 9ffff", {{0x98000, 32}}, "........................", {0}, {-1}},
      {"no address", {{0, 16}}, "........................", {0}, {-1}},
      {"ends before it starts", {{0xd0000, 0}}, "........................", {0}, {-1}},
      {"past 4 Gbytes", {{0xfffff000, 64}}, "........................", {0}, {-1}},
      {"over the whole row", {{0x9c000, 1024}}, "111111111111111111111111", {0}, {0}},
      {"overlapping, shared cells, and two outside",
       {{0xd0000, 64}, {0xd8000, 32}, {0xe0000, 16}, {0, 16}, {0x110000, 16}},
       "............11**3.......",
       {3, 4},
       {12, 14, 16, -1, -1}},
      {"the second board outside",
       {{0xd0000, 16}, {0xfc000, 32}},
       "............1..........2",
       {1},
       {12, 23}},
  };
  for (const auto& c : cases) {
    params_rec params{};
    for (const auto& [dpa, size] : c.boards) params.boards[params.nboards++] = {0, size, 3, 0, dpa};
    const memory_row row = memory_cells(params);
    EXPECT_EQ(cells_of(row), c.cells) << c.name;
    EXPECT_EQ(std::vector<int>(row.outside.begin(), row.outside.begin() + row.noutside), c.outside)
        << c.name;
    EXPECT_EQ(std::vector<int>(row.first_cell.begin(), row.first_cell.begin() + params.nboards),
              c.first)
        << c.name;
  }
}

// Boards as {irq, ioa}; findings as {board, place}, lettered in order.
TEST(LayOutMap, PlacesStacksAndOrder) {
  using board = std::pair<std::uint16_t, std::uint16_t>;
  using spot = std::pair<int, map_place>;
  const struct {
    const char* name;
    std::vector<board> boards;
    std::vector<spot> findings;
    const char* placed;             // the letters of the findings marked on the picture
    const char* elsewhere;          // and of those listed apart
    std::vector<std::string> irqs;  // lines 0 to 15: the boards on each
    std::vector<int> io_order;
  } cases[] = {
      {"no boards: a finding on nothing listed apart",
       {},
       {{-1, ON_NOTHING}},
       "",
       "a",
       std::vector<std::string>(IRQ_LINES),
       {}},
      {"irqs off the picture and findings on nothing listed apart",
       {{5, 0x300}, {16, 0}, {5, 0x2a0}, {3, 0x300}},
       {{0, ON_IRQ},
        {1, ON_IRQ},
        {-1, ON_IRQ},
        {1, ON_WINDOW},
        {2, ON_NOTHING},
        {3, ON_IO_RANGE},
        {2, ON_IRQ}},
       "adfg",
       "bce",
       {"", "", "", "4", "", "13", "", "", "", "", "", "", "", "", "", ""},
       {2, 0, 3, 1}},
      {"irqs 0 and 15 stacked, I/O ordered by address then board",
       {{15, 0xfff8}, {0, 8}, {15, 0}, {15, 0xfff8}},
       {{0, ON_IRQ}, {1, ON_IRQ}},
       "ab",
       "",
       {"2", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "134"},
       {1, 0, 3, 2}},
  };
  for (const auto& c : cases) {
    params_rec params{};
    for (const auto& [irq, ioa] : c.boards) params.boards[params.nboards++] = {0, 16, irq, ioa, 0};
    std::vector<finding> findings;
    for (const auto& [n, place] : c.findings) {
      const char letter = static_cast<char>('a' + findings.size());
      findings.push_back({IN_PAR, 1, n, place, std::string(1, letter)});
    }
    const map_layout map = lay_out_map(params, findings);
    std::string placed, elsewhere;
    for (const finding& f : map.placed) placed += f.text;
    for (const finding& f : map.elsewhere) elsewhere += f.text;
    EXPECT_EQ(placed, c.placed) << c.name;
    EXPECT_EQ(elsewhere, c.elsewhere) << c.name;
    EXPECT_EQ(std::vector<std::string>(map.irq_boards.begin(), map.irq_boards.end()), c.irqs)
        << c.name;
    EXPECT_EQ(map.nboards, static_cast<int>(c.boards.size())) << c.name;
    EXPECT_EQ(std::vector<int>(map.io_order.begin(), map.io_order.begin() + map.nboards),
              c.io_order)
        << c.name;
  }
}

}  // namespace

}  // namespace kdz
