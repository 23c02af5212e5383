// The resource map `editpar -m`: the boards' interrupt lines, I/O ranges and memory windows
// in one picture of 80 columns, with every finding of the check marked where it stands.
// What stands where is decided first (lay_out_map); the drawing only writes it out.
#include <fmt/format.h>

#include <algorithm>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

#include "check/check.h"
#include "check/map.h"
#include "model/records.h"

namespace kdz {

namespace {

// The boards the records hold.
int boards_of(const params_rec& params) {
  return std::clamp(params.nboards, 0, MAX_BOARDS);
}

// Whether `f` is marked on the picture: a board's finding at its irq line, I/O range or
// window, except at an irq line the picture has no column for.
bool on_map(const finding& f, const params_rec& params) {
  return f.board >= 0 && f.place != ON_NOTHING &&
         (f.place != ON_IRQ || params.boards[f.board].irq < IRQ_LINES);
}

// The cell of the row that holds `address`. REQUIRES: MAP_START <= address < MAP_END.
int cell_of(std::uint32_t address) {
  return static_cast<int>((address - MAP_START) / MAP_CELL);
}

// Gives the cells of the row that board n's window covers to it; a cell that another
// board holds already becomes shared.
void take_cells(memory_row& row, int n, const dp_window& w) {
  const int first = w.start < MAP_START ? 0 : cell_of(w.start);
  const int last = cell_of(std::min(w.end, MAP_END - 1));
  for (int c = first; c <= last; ++c)
    row.owner[c] = row.owner[c] == CELL_FREE ? n + 1 : CELL_SHARED;
  row.first_cell[n] = first;
}

std::array<int, MAX_BOARDS> io_order(const params_rec& params) {
  std::array<int, MAX_BOARDS> order{};
  const int count = boards_of(params);
  std::iota(order.begin(), order.begin() + count, 0);
  std::stable_sort(order.begin(), order.begin() + count, [&params](int a, int b) {
    const int x = params.boards[a].ioa, y = params.boards[b].ioa;
    return (x == 0) != (y == 0) ? y == 0 : x < y;
  });
  return order;
}

}  // namespace

memory_row memory_cells(const params_rec& params) {
  memory_row row{};
  row.first_cell.fill(-1);
  for (int n = 0; n < boards_of(params); ++n) {
    const board_rec& b = params.boards[n];
    const dp_window w = window_of(b);
    const bool reversed = w.start > w.end;  // a size of 0, or a window past 4 Gbytes
    const bool inside = b.dpa != 0 && w.start >= MAP_START && !reversed && w.end < MAP_END;
    if (!inside) row.outside[row.noutside++] = n;
    if (b.dpa == 0 || reversed || w.end < MAP_START || w.start >= MAP_END) continue;
    take_cells(row, n, w);
  }
  return row;
}

map_layout lay_out_map(const params_rec& params, std::vector<finding> findings) {
  map_layout map{};
  for (finding& f : findings) {
    (on_map(f, params) ? map.placed : map.elsewhere).push_back(std::move(f));
  }
  map.nboards = boards_of(params);
  for (int n = 0; n < map.nboards; ++n) {
    const int irq = params.boards[n].irq;
    if (irq < IRQ_LINES) map.irq_boards[irq] += static_cast<char>('1' + n);
  }
  map.io_order = io_order(params);
  map.memory = memory_cells(params);
  return map;
}

}  // namespace kdz
