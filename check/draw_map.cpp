// Drawing the resource map as lay_out_map decided it: a header, the irq lines, the I/O
// ranges, the memory row and the windows outside it, then the legend of the marks and the
// findings that stand nowhere on the picture.
#include <fmt/format.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "check/check.h"
#include "check/map.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"

namespace kdz {

namespace {

constexpr int CELLS_PER_LABEL = 4;  // an address label every 64 Kbytes
constexpr std::size_t WIDTH = 80;
constexpr char LEFT[] = "         ";             // the margin before every row's picture
constexpr std::size_t MARGIN = sizeof LEFT - 1;  // 9

// The letter that marks the k-th finding placed on the map.
char mark_of(std::size_t k) {
  if (k < 26) return static_cast<char>('a' + k);
  if (k < 52) return static_cast<char>('A' + k - 26);
  return '+';
}

// The marks of the findings at one place: of `board`, of the kind `place`.
std::string marks_at(const std::vector<finding>& placed, int board, map_place place) {
  std::string marks;
  for (std::size_t k = 0; k < placed.size(); ++k) {
    if (placed[k].board == board && placed[k].place == place) marks += mark_of(k);
  }
  return marks;
}

// Writes `marks` into `row` from column `at` on, each letter in the next free column, so
// that marks of neighbouring places never hide each other.
void put_marks(std::string& row, std::size_t at, const std::string& marks) {
  for (const char m : marks) {
    while (at < row.size() && row[at] != ' ') ++at;
    if (at >= row.size()) row.resize(at + 1, ' ');
    row[at++] = m;
  }
}

// `row` without its trailing blanks, or "" when it holds nothing after its first `margin`
// columns.
std::string trimmed(std::string row, std::size_t margin) {
  while (!row.empty() && row.back() == ' ') row.pop_back();
  return row.size() > margin ? row : "";
}

// A row of marks under a picture (its first `margin` columns blank), headed "marks";
// nothing when it holds no mark.
void marks_row(std::string& text, const std::string& row, std::size_t margin) {
  const std::string marks = trimmed(row, margin);
  if (!marks.empty()) fmt::format_to(std::back_inserter(text), "marks{}\n", marks.substr(5));
}

// One board's row of a list under the picture: the list's name on its first row, then the
// range, the board and the marks of the findings that stand there.
void list_row(std::string& text, const char* name, bool first, int width, const std::string& range,
              int n, const std::string& marks) {
  fmt::format_to(std::back_inserter(text), "{:<9}{:<{}} board {}{}{}\n", first ? name : "", range,
                 width, n + 1, marks.empty() ? "" : "  ", marks);
}

// Writes `words` wrapped to 80 columns after `first`, every line after the first
// indented by `indent`.
void wrapped(std::string& text, const std::string& first, const std::string& words,
             std::size_t indent) {
  std::string line = first;
  std::size_t at = 0;
  while (at < words.size()) {
    std::size_t word_end = words.find(' ', at);
    if (word_end == std::string::npos) word_end = words.size();
    const std::string_view word = std::string_view(words).substr(at, word_end - at);
    const bool fresh = line.size() <= indent || line == first;
    if (!fresh && line.size() + 1 + word.size() > WIDTH) {
      text += line + '\n';
      line.assign(indent, ' ');
    } else if (!fresh) {
      line += ' ';
    }
    line += word;
    at = word_end + 1;
  }
  text += line + '\n';
}

const char* mode_words(const params_rec& params) {
  return params.mode == MODE_INTERRUPT ? "interrupt mode"
         : params.mode == MODE_POLL    ? "polled mode"
                                       : "mode not set";
}

const char* bus_words(const params_rec& params) {
  return params.bus == BUS_AT ? "AT bus" : params.bus == BUS_MC ? "MC bus" : "bus not set";
}

// The boards stacked under each line, one row per board of the fullest line.
void irq_rows(std::string& text, const map_layout& map) {
  std::size_t rows = 1;
  for (const std::string& b : map.irq_boards) rows = std::max(rows, b.size());
  for (std::size_t r = 0; r < rows; ++r) {
    std::string row = r == 0 ? "boards  " : "        ";
    for (const std::string& b : map.irq_boards) {
      row += "  ";
      row += r < b.size() ? b[r] : r == 0 ? '.' : ' ';
    }
    text += trimmed(row, 0) + '\n';
  }
}

// Interrupt lines 0 to 15, the boards on each stacked under it, and a row of marks.
void draw_irqs(std::string& text, const params_rec& params, const map_layout& map) {
  text += "irq     ";
  for (int irq = 0; irq < IRQ_LINES; ++irq) fmt::format_to(std::back_inserter(text), " {:2}", irq);
  text += '\n';
  if (params.mode == MODE_POLL) {
    fmt::format_to(std::back_inserter(text), "{}polled: no board uses an interrupt line\n", LEFT);
    return;
  }
  irq_rows(text, map);
  constexpr std::size_t margin = 8;  // "boards  ", then three columns a line
  std::string row(margin, ' ');
  for (std::size_t irq = 0; irq < IRQ_LINES; ++irq) {
    std::string marks;
    for (const char digit : map.irq_boards[irq]) marks += marks_at(map.placed, digit - '1', ON_IRQ);
    put_marks(row, margin + 3 * irq + 2, marks);
  }
  marks_row(text, row, margin);
}

// Every board's I/O range in address order; boards without one at the end.
void draw_io(std::string& text, const params_rec& params, const map_layout& map) {
  for (int k = 0; k < map.nboards; ++k) {
    const int n = map.io_order[k];
    const int ioa = params.boards[n].ioa;
    const std::string range =
        ioa != 0 ? fmt::format("{:x}-{:x}", ioa, ioa + IO_SPAN - 1) : "no address";
    list_row(text, "I/O", k == 0, 12, range, n, marks_at(map.placed, n, ON_IO_RANGE));
  }
  if (map.nboards == 0) text += "I/O      no boards\n";
}

// The row of 16-Kbyte cells from a0000 to fffff under their address labels, and the marks
// of each window at the cell where it enters the row.
void draw_memory_row(std::string& text, const map_layout& map) {
  std::string labels = "memory   ", cells = LEFT, mark_row(MARGIN, ' ');
  for (int c = 0; c < MAP_CELLS; ++c) {
    if (c % CELLS_PER_LABEL == 0) {
      fmt::format_to(std::back_inserter(labels), "{:<5x} ", MAP_START + c * MAP_CELL);
    }
    std::string marks;
    for (int n = 0; n < map.nboards; ++n) {
      if (map.memory.first_cell[n] == c) marks += marks_at(map.placed, n, ON_WINDOW);
    }
    put_marks(mark_row, cells.size(), marks);
    const int owner = map.memory.owner[c];
    cells += owner == CELL_FREE ? '.' : owner == CELL_SHARED ? '*' : static_cast<char>('0' + owner);
    if (c % CELLS_PER_LABEL == CELLS_PER_LABEL - 1) cells += "  ";
  }
  text += trimmed(labels, 0) + '\n' + trimmed(cells, 0) + '\n';
  marks_row(text, mark_row, MARGIN);
}

// The windows that do not lie wholly in the row, and the boards without one.
void draw_outside(std::string& text, const params_rec& params, const map_layout& map) {
  for (int k = 0; k < map.memory.noutside; ++k) {
    const int n = map.memory.outside[k];
    const dp_window w = window_of(params.boards[n]);
    const std::string range =
        params.boards[n].dpa != 0 ? fmt::format("{:x}-{:x}", w.start, w.end) : "no address";
    list_row(text, "outside", k == 0, 16, range, n, marks_at(map.placed, n, ON_WINDOW));
  }
}

// Each placed finding under its letter, then those that stand nowhere on the picture.
void draw_legend(std::string& text, const check_paths& paths, const map_layout& map) {
  if (map.placed.empty() && map.elsewhere.empty()) return;
  text += '\n';
  if (!map.placed.empty()) text += "marks: where a finding of the check stands\n";
  for (std::size_t k = 0; k < map.placed.size(); ++k) {
    const std::string head = fmt::format("  {}  ", mark_of(k));
    wrapped(text, head, finding_line("", paths, map.placed[k]), 5);
  }
  if (!map.elsewhere.empty()) text += "not on the map:\n";
  for (const finding& f : map.elsewhere) wrapped(text, "  ", finding_line("", paths, f), 4);
}

}  // namespace

void draw_map(const check_paths& paths, const catalog& cat, const board_set& set,
              const port_state& ports, std::FILE* out) {
  const params_rec& params = set.params;
  const map_layout map = lay_out_map(params, all_findings(cat, set, ports));
  std::string text = fmt::format("{}: {}, {}, {} board{}\n\n", paths.par.get(), mode_words(params),
                                 bus_words(params), params.nboards, params.nboards == 1 ? "" : "s");
  draw_irqs(text, params, map);
  text += '\n';
  draw_io(text, params, map);
  text += '\n';
  draw_memory_row(text, map);
  draw_outside(text, params, map);
  draw_legend(text, paths, map);
  std::fwrite(text.data(), 1, text.size(), out);
}

}  // namespace kdz
