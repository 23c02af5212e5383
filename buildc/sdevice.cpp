// The System file: one line per board for the driver-installation kit, with the boards'
// dual-port windows merged into a short list of memory ranges.
#include "base/out_file.h"
#include "buildc/buildc.h"
#include "model/catalog.h"
#include "model/records.h"

namespace kdz {

namespace {

constexpr int INTERRUPT_LEVEL = 5;
constexpr int IRQ_SHARED = 2, IRQ_SEPARATE = 1;

// A memory range of the System file: one or more boards' windows (window_of), inclusive.
using range = dp_window;

// Up to one range per board; entries are appended and cleared, never moved.
struct range_table {
  std::array<range, MAX_BOARDS> r;
  int count;
};

bool shares_address(const range& w, const range& k) {
  return w.end >= k.start && w.start <= k.end;
}

// Widens the first range that the window touches, or appends the window as a new range;
// later ranges that lie wholly inside the window itself are cleared.
void merge_window(range_table& t, const range& w) {
  int k = 0;
  while (k < t.count && !shares_address(w, t.r[k])) ++k;
  if (k == t.count) {
    t.r[t.count++] = w;
    return;
  }
  if (w.start < t.r[k].start) t.r[k].start = w.start;
  if (w.end > t.r[k].end) t.r[k].end = w.end;
  for (int j = k + 1; j < t.count; ++j) {
    if (w.end >= t.r[j].end && w.start <= t.r[j].start) t.r[j] = {0, 0};
  }
}

range_table merge_windows(const params_rec& ps) {
  range_table t{};
  t.r[0] = window_of(ps.boards[0]);
  t.count = 1;
  for (int i = 1; i < ps.nboards; ++i) merge_window(t, window_of(ps.boards[i]));
  for (int i = t.count; i < ps.nboards; ++i) t.r[i] = {0, 0};
  return t;
}

// Interrupt type: shared when every board uses board 0's line.
int interrupt_type(const params_rec& ps) {
  int same = ps.nboards > 0 ? 1 : 0;
  for (int i = 1; i < ps.nboards; ++i) {
    if (ps.boards[i].irq == ps.boards[0].irq) ++same;
  }
  return same == ps.nboards ? IRQ_SHARED : IRQ_SEPARATE;
}

}  // namespace

void write_sdevice(out_file& f, const catalog& cat, const params_rec& ps) {
  const bool interrupts = ps.mode == MODE_INTERRUPT;
  const int level = interrupts ? INTERRUPT_LEVEL : 0;
  const int itype = interrupts ? interrupt_type(ps) : 0;
  const range_table t = merge_windows(ps);
  for (int i = 0; i < ps.nboards; ++i) {
    const board_rec& b = ps.boards[i];
    // Computed in 32 bits: an I/O address of ffff ends at 10006.
    const unsigned io_end = b.ioa != 0 ? b.ioa + IO_SPAN - 1u : 0u;
    f.print(FMT_COMPILE("{}\tY\t{}\t{}\t{}\t{}\t{:x}\t{:x}\t{:x}\t{:x}\n"), cat.config.pkg,
            ports_of(type_of(cat, b)), level, itype, interrupts ? b.irq : 0, b.ioa, io_end,
            t.r[i].start, t.r[i].end);
  }
}

}  // namespace kdz
