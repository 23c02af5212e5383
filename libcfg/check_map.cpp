// The resource map `editpar -m`: the boards' interrupt lines, I/O ranges and memory windows
// in one picture of 80 columns, with every finding of the check marked where it stands.
#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "libcfg/libcfg.h"

namespace {

constexpr int IRQ_LINES = 16;
constexpr std::uint32_t MAP_START = 0xa0000;  // the memory row: a0000 to fffff
constexpr std::uint32_t MAP_END = 0x100000;
constexpr std::uint32_t CELL = 16 * 1024;
constexpr int CELLS = (MAP_END - MAP_START) / CELL;  // 24
constexpr int CELLS_PER_LABEL = 4;                   // an address label every 64 Kbytes
constexpr int WIDTH = 80;
constexpr char LEFT[] = "         ";  // the margin before every row's picture

// A board's memory window, inclusive; a board without an address has none.
struct window {
  bool has;
  std::uint32_t start, end;
};

window window_of(const board_rec& b) {
  if (b.dpa == 0) return {false, 0, 0};
  return {true, b.dpa, b.dpa + std::uint32_t{b.size} * 1024u - 1u};
}

// The letter that marks the k-th finding placed on the map.
char mark_of(int k) {
  if (k < 26) return static_cast<char>('a' + k);
  if (k < 52) return static_cast<char>('A' + k - 26);
  return '+';
}

// The marks of the findings at one place: of `board`, of the kind `place`.
std::string marks_at(const std::vector<finding>& placed, int board, map_place place) {
  std::string marks;
  for (std::size_t k = 0; k < placed.size(); ++k) {
    if (placed[k].board == board && placed[k].place == place) marks += mark_of(static_cast<int>(k));
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

// One board's row of a list under the picture: the list's name on its first row, then the
// range, the board and the marks of the findings that stand there.
void list_row(std::FILE* out, const char* name, bool first, int width, const char* range, int n,
              const std::string& marks) {
  std::fprintf(out, "%-9s%-*s board %d%s%s\n", first ? name : "", width, range, n + 1,
               marks.empty() ? "" : "  ", marks.c_str());
}

// Writes `text` wrapped to 80 columns, every line after the first indented by `indent`.
void wrapped(std::FILE* out, const std::string& first, const std::string& text, int indent) {
  std::string line = first;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t word_end = text.find(' ', at);
    if (word_end == std::string::npos) word_end = text.size();
    const std::string word = text.substr(at, word_end - at);
    const bool fresh = line.size() <= static_cast<std::size_t>(indent) || line == first;
    if (!fresh && line.size() + 1 + word.size() > static_cast<std::size_t>(WIDTH)) {
      std::fprintf(out, "%s\n", line.c_str());
      line.assign(static_cast<std::size_t>(indent), ' ');
    } else if (!fresh) {
      line += ' ';
    }
    line += word;
    at = word_end + 1;
  }
  std::fprintf(out, "%s\n", line.c_str());
}

// A finding as the check prints it, without its line end.
std::string finding_line(const check_paths& paths, const finding& f) {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* line = open_memstream(&text, &size);
  if (line == nullptr) return f.text;
  print_finding(line, "", paths, f);
  std::fclose(line);
  std::string words(text, size);
  std::free(text);
  if (!words.empty() && words.back() == '\n') words.pop_back();
  return words;
}

const char* mode_words() {
  return params.mode == MODE_INTERRUPT ? "interrupt mode"
         : params.mode == MODE_POLL    ? "polled mode"
                                       : "mode not set";
}

const char* bus_words() {
  return params.bus == BUS_AT ? "AT bus" : params.bus == BUS_MC ? "MC bus" : "bus not set";
}

// Interrupt lines 0 to 15, the boards on each stacked under it, and a row of marks.
void draw_irqs(std::FILE* out, const std::vector<finding>& placed) {
  std::fputs("irq     ", out);
  for (int irq = 0; irq < IRQ_LINES; ++irq) std::fprintf(out, " %2d", irq);
  std::fputc('\n', out);
  if (params.mode == MODE_POLL) {
    std::fprintf(out, "%spolled: no board uses an interrupt line\n", LEFT);
    return;
  }
  std::array<std::string, IRQ_LINES> boards, marks;
  for (int n = 0; n < params.nboards; ++n) {
    const int irq = params.boards[n].irq;
    if (irq >= IRQ_LINES) continue;
    boards[irq] += static_cast<char>('1' + n);
    marks[irq] += marks_at(placed, n, ON_IRQ);
  }
  std::size_t rows = 1;
  for (const auto& b : boards) rows = std::max(rows, b.size());
  constexpr std::size_t margin = 8;  // "boards  ", then three columns a line
  for (std::size_t r = 0; r < rows; ++r) {
    std::string row = r == 0 ? "boards  " : "        ";
    for (const auto& b : boards) {
      row += "  ";
      row += r < b.size() ? b[r] : r == 0 ? '.' : ' ';
    }
    std::fprintf(out, "%s\n", trimmed(row, 0).c_str());
  }
  std::string row(margin, ' ');
  for (std::size_t irq = 0; irq < IRQ_LINES; ++irq)
    put_marks(row, margin + 3 * irq + 2, marks[irq]);
  row = trimmed(row, margin);
  if (!row.empty()) std::fprintf(out, "marks%s\n", row.c_str() + 5);
}

// Every board's I/O range in address order; boards without one at the end.
void draw_io(std::FILE* out, const std::vector<finding>& placed) {
  std::vector<int> order(static_cast<std::size_t>(std::max(0, params.nboards)));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [](int a, int b) {
    const int x = params.boards[a].ioa, y = params.boards[b].ioa;
    return (x == 0) != (y == 0) ? y == 0 : x < y;
  });
  bool first = true;
  for (const int n : order) {
    const int ioa = params.boards[n].ioa;
    char range[24];
    if (ioa != 0) {
      std::snprintf(range, sizeof range, "%x-%x", ioa, ioa + IO_SPAN - 1);
    } else {
      std::snprintf(range, sizeof range, "no address");
    }
    list_row(out, "I/O", first, 12, range, n, marks_at(placed, n, ON_IO_RANGE));
    first = false;
  }
  if (first) std::fprintf(out, "I/O      %s\n", "no boards");
}

// The row of 16-Kbyte cells from a0000 to fffff, then the windows outside it.
void draw_memory(std::FILE* out, const std::vector<finding>& placed) {
  constexpr std::size_t margin = sizeof LEFT - 1;
  std::string labels = "memory   ", cells = LEFT;
  std::array<int, CELLS> owner{};  // 0 free, n + 1 for board n, -1 shared
  std::array<std::string, CELLS> cell_marks;
  std::vector<int> outside;
  for (int n = 0; n < params.nboards; ++n) {
    const window w = window_of(params.boards[n]);
    const bool inside = w.has && w.start >= MAP_START && w.start <= w.end && w.end < MAP_END;
    if (!inside) outside.push_back(n);
    if (!w.has || w.end < MAP_START || w.start >= MAP_END || w.start > w.end) continue;
    const int first = w.start < MAP_START ? 0 : static_cast<int>((w.start - MAP_START) / CELL);
    const int last = std::min<int>(
        CELLS - 1, static_cast<int>((std::min(w.end, MAP_END - 1) - MAP_START) / CELL));
    for (int c = first; c <= last; ++c) owner[c] = owner[c] == 0 ? n + 1 : -1;
    cell_marks[first] += marks_at(placed, n, ON_WINDOW);
  }
  std::string mark_row(margin, ' ');
  for (int c = 0; c < CELLS; ++c) {
    if (c % CELLS_PER_LABEL == 0) {
      char label[8];
      std::snprintf(label, sizeof label, "%-5x ", MAP_START + static_cast<std::uint32_t>(c) * CELL);
      labels += label;
    }
    put_marks(mark_row, cells.size(), cell_marks[c]);
    cells += owner[c] == 0 ? '.' : owner[c] < 0 ? '*' : static_cast<char>('0' + owner[c]);
    if (c % CELLS_PER_LABEL == CELLS_PER_LABEL - 1) cells += "  ";
  }
  std::fprintf(out, "%s\n%s\n", trimmed(labels, 0).c_str(), trimmed(cells, 0).c_str());
  mark_row = trimmed(mark_row, margin);
  if (!mark_row.empty()) std::fprintf(out, "marks%s\n", mark_row.c_str() + 5);
  bool first = true;
  for (const int n : outside) {
    const window w = window_of(params.boards[n]);
    char range[40];
    if (!w.has) {
      std::snprintf(range, sizeof range, "no address");
    } else {
      std::snprintf(range, sizeof range, "%lx-%lx", static_cast<unsigned long>(w.start),
                    static_cast<unsigned long>(w.end));
    }
    list_row(out, "outside", first, 16, range, n, marks_at(placed, n, ON_WINDOW));
    first = false;
  }
}

}  // namespace

void draw_map(const char* prog, std::FILE* out) {
  check_paths paths;
  if (!form_check_paths(prog, paths)) return;
  load_dces(prog, paths.dces.get());
  std::vector<finding> placed, elsewhere;
  for (finding& f : all_findings()) {
    const bool on_map = f.board >= 0 && f.place != ON_NOTHING &&
                        (f.place != ON_IRQ || params.boards[f.board].irq < IRQ_LINES);
    (on_map ? placed : elsewhere).push_back(std::move(f));
  }
  std::fprintf(out, "%s: %s, %s, %d board%s\n\n", paths.par.get(), mode_words(), bus_words(),
               params.nboards, params.nboards == 1 ? "" : "s");
  draw_irqs(out, placed);
  std::fputc('\n', out);
  draw_io(out, placed);
  std::fputc('\n', out);
  draw_memory(out, placed);
  if (placed.empty() && elsewhere.empty()) return;
  std::fputc('\n', out);
  if (!placed.empty()) std::fputs("marks: where a finding of the check stands\n", out);
  for (std::size_t k = 0; k < placed.size(); ++k) {
    const std::string head = std::string("  ") + mark_of(static_cast<int>(k)) + "  ";
    wrapped(out, head, finding_line(paths, placed[k]), 5);
  }
  if (!elsewhere.empty()) std::fputs("not on the map:\n", out);
  for (const finding& f : elsewhere) wrapped(out, "  ", finding_line(paths, f), 4);
}
