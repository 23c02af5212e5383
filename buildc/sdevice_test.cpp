// The System file's columns: the boards' dual-port windows merged into ranges, the
// interrupt columns by mode and by how the boards share their lines, the I/O range.
#include <gtest/gtest.h>

#include <vector>

#include "base/out_file.h"
#include "buildc/buildc.h"
#include "tests/support/writer_test.h"

namespace kdz {

namespace {

struct sdevice_case {
  const char* what;
  int mode;
  std::vector<board_rec> boards;  // type, size, irq, ioa, dpa
  const char* system;
};

const sdevice_case cases[] = {
    {"three boards in one window: one range, the others 0 0",
     MODE_INTERRUPT,
     {{M8, 16, 5, 0x300, 0xd0000}, {M8, 16, 5, 0x300, 0xd0000}, {M8, 16, 5, 0x300, 0xd0000}},
     "mux\tY\t8\t5\t2\t5\t300\t307\td0000\td3fff\n"
     "mux\tY\t8\t5\t2\t5\t300\t307\t0\t0\n"
     "mux\tY\t8\t5\t2\t5\t300\t307\t0\t0\n"},
    {"a window covering two earlier ones widens the first and clears the second",
     MODE_INTERRUPT,
     {{M8, 16, 5, 0x300, 0xd0000}, {M8, 16, 5, 0x308, 0xd8000}, {M8, 64, 5, 0x310, 0xd0000}},
     "mux\tY\t8\t5\t2\t5\t300\t307\td0000\tdffff\n"
     "mux\tY\t8\t5\t2\t5\t308\t30f\t0\t0\n"
     "mux\tY\t8\t5\t2\t5\t310\t317\t0\t0\n"},
    {"a later range ending where the widening window ends is cleared too",
     MODE_INTERRUPT,
     {{M8, 16, 5, 0x300, 0xd0000}, {M8, 16, 5, 0x308, 0xd8000}, {M8, 48, 5, 0x310, 0xd0000}},
     "mux\tY\t8\t5\t2\t5\t300\t307\td0000\tdbfff\n"
     "mux\tY\t8\t5\t2\t5\t308\t30f\t0\t0\n"
     "mux\tY\t8\t5\t2\t5\t310\t317\t0\t0\n"},
    {"a window meeting two ranges widens only the first; they stay unmerged",
     MODE_INTERRUPT,
     {{M8, 16, 5, 0x300, 0xd0000}, {M8, 16, 5, 0x308, 0xd8000}, {M8, 32, 5, 0x310, 0xd2000}},
     "mux\tY\t8\t5\t2\t5\t300\t307\td0000\td9fff\n"
     "mux\tY\t8\t5\t2\t5\t308\t30f\td8000\tdbfff\n"
     "mux\tY\t8\t5\t2\t5\t310\t317\t0\t0\n"},
    {"adjoining windows stay two ranges; one reaching into the first widens it",
     MODE_INTERRUPT,
     {{M8, 64, 5, 0x300, 0xd0000},
      {M8, 16, 5, 0x308, 0xe0000},
      {M8, 16, 5, 0x310, 0xe4000},
      {M8, 1, 5, 0x318, 0xe3fff}},
     "mux\tY\t8\t5\t2\t5\t300\t307\td0000\tdffff\n"
     "mux\tY\t8\t5\t2\t5\t308\t30f\te0000\te43fe\n"
     "mux\tY\t8\t5\t2\t5\t310\t317\te4000\te7fff\n"
     "mux\tY\t8\t5\t2\t5\t318\t31f\t0\t0\n"},
    {"a range cleared to 0 0 takes a later board without a window",
     MODE_INTERRUPT,
     {{M8, 16, 5, 0x300, 0xd0000},
      {M8, 16, 5, 0x308, 0xd8000},
      {M8, 64, 5, 0x310, 0xd0000},
      {M8, 16, 5, 0x318, 0},
      {M8, 16, 5, 0x320, 0xc8000}},
     "mux\tY\t8\t5\t2\t5\t300\t307\td0000\tdffff\n"
     "mux\tY\t8\t5\t2\t5\t308\t30f\t0\t0\n"
     "mux\tY\t8\t5\t2\t5\t310\t317\tc8000\tcbfff\n"
     "mux\tY\t8\t5\t2\t5\t318\t31f\t0\t0\n"
     "mux\tY\t8\t5\t2\t5\t320\t327\t0\t0\n"},
    {"a size-0 window ends before it starts and meets no later window",
     MODE_INTERRUPT,
     {{M8, 0, 5, 0x300, 0xd0000}, {M8, 64, 5, 0x308, 0xd0000}},
     "mux\tY\t8\t5\t2\t5\t300\t307\td0000\tcffff\n"
     "mux\tY\t8\t5\t2\t5\t308\t30f\td0000\tdffff\n"},
    {"irqs 5, 5, 7: separate (1), each board its own",
     MODE_INTERRUPT,
     {{M8, 16, 5, 0x300, 0xd0000}, {M8, 16, 5, 0x308, 0xd4000}, {M8, 16, 7, 0x310, 0xd8000}},
     "mux\tY\t8\t5\t1\t5\t300\t307\td0000\td3fff\n"
     "mux\tY\t8\t5\t1\t5\t308\t30f\td4000\td7fff\n"
     "mux\tY\t8\t5\t1\t7\t310\t317\td8000\tdbfff\n"},
    {"polled: level, irq type and irq 0; no I/O address: 0 0",
     MODE_POLL,
     {{M16, 32, 5, 0x300, 0xd0000}, {M8, 64, 5, 0x320, 0xd0000}, {M8, 16, 5, 0, 0xc8000}},
     "mux\tY\t16\t0\t0\t0\t300\t307\td0000\tdffff\n"
     "mux\tY\t8\t0\t0\t0\t320\t327\tc8000\tcbfff\n"
     "mux\tY\t8\t0\t0\t0\t0\t0\t0\t0\n"},
    {"mode unset: as polled; an I/O address of ffff ends past 16 bits",
     0,
     {{M8, 16, 5, 0xffff, 0xfc000}},
     "mux\tY\t8\t0\t0\t0\tffff\t10006\tfc000\tfffff\n"},
};

TEST(Sdevice, Columns) {
  const catalog cat = test_catalog();
  for (const sdevice_case& c : cases) {
    const params_rec ps = test_boards(c.mode, c.boards);
    out_file f;
    write_sdevice(f, cat, ps);
    EXPECT_EQ(f.text(), c.system) << c.what;
  }
}

}  // namespace

}  // namespace kdz
