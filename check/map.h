// check, the layer above package: the check `editpar -c` and its map `editpar -m` (check.h
// says it whole).
//
// map.h: the resource map `editpar -m`, decided before it is drawn: which board stands on
// each interrupt line, in which order the I/O ranges are listed, who holds each cell of the
// memory row, and which findings of the check are marked on the picture.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "check/check.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"

namespace kdz {

constexpr int IRQ_LINES = 16;                 // the columns of the irq picture
constexpr std::uint32_t MAP_START = 0xa0000;  // the memory row: a0000 to fffff
constexpr std::uint32_t MAP_END = 0x100000;
constexpr std::uint32_t MAP_CELL = 16 * 1024;                // one cell of the row
constexpr int MAP_CELLS = (MAP_END - MAP_START) / MAP_CELL;  // 24

// Who holds each cell of the memory row, and which boards are listed under it.
constexpr int CELL_FREE = 0, CELL_SHARED = -1;
struct memory_row {
  // CELL_FREE, n + 1 for board n alone, CELL_SHARED for two boards or more.
  std::array<int, MAP_CELLS> owner;
  // The cell where board n's window enters the row, or -1 when it misses the row.
  std::array<int, MAX_BOARDS> first_cell;
  // The boards whose window does not lie wholly in the row, or that have none, in order;
  // a window that runs over an edge of the row is drawn in it and listed too.
  std::array<int, MAX_BOARDS> outside;
  int noutside;
};
memory_row memory_cells(const params_rec& params);

// The whole picture.
struct map_layout {
  // The findings of a board that stand on its irq line (one of the 16), I/O range or
  // window: the k-th is marked with the k-th letter. The others are listed apart.
  std::vector<finding> placed, elsewhere;
  // The boards on each interrupt line as the digits of their numbers, in board order.
  std::array<std::string, IRQ_LINES> irq_boards;
  // The boards in I/O address order, those without an I/O address last.
  std::array<int, MAX_BOARDS> io_order;
  int nboards;  // the boards of the set, as many as the records hold
  memory_row memory;
};
// The map of `params` with `findings` (all_findings of the same set) in their places.
map_layout lay_out_map(const params_rec& params, std::vector<finding> findings);
// The resource map `editpar -m`: irq lines, I/O ranges and memory windows of the boards,
// each finding (with the old DCE list `ports`) marked where it stands, on `out`.
void draw_map(const check_paths& paths, const catalog& cat, const board_set& set,
              const port_state& ports, std::FILE* out);

}  // namespace kdz
