// The check of a parameter set against the catalog: one line for every rule it breaks.
//
// Set-wide findings come first (mode, number of boards); then each board's, in the order
// of its lines in "par": type, size, irq, I/O address, memory address. A finding that
// concerns two boards stands with the later one.
#include <cstdlib>

#include "libcfg/libcfg.h"

namespace {

struct findings {
  std::FILE* out;
  int count;

  // Counts a finding and begins its line, naming the board (from 0) unless it is -1.
  std::FILE* start(int board) {
    ++count;
    if (board >= 0) std::fprintf(out, "board %d: ", board + 1);
    return out;
  }
};

// Writes the values of `list` as "3, 5, 7", in hexadecimal when `hex`, and ")\n".
void end_with_list(std::FILE* f, const value_list& list, bool hex) {
  for (int i = 0; i < list.count && i < MAX_VALUES; ++i) {
    std::fprintf(f, hex ? "%s%x" : "%s%d", i > 0 ? ", " : "", list.values[i]);
  }
  std::fputs(")\n", f);
}

// What a list question gives for a board: a value of the list, or 0 when it is empty.
value_list offered(const value_list& list) {
  return list.count > 0 ? list : value_list{1, {}};
}

const char* bus_name(int bus) {
  return bus == BUS_AT ? "at" : bus == BUS_MC ? "mc" : "none";
}

const char* mode_name(int mode) {
  return mode == MODE_POLL ? "polling" : "interrupt";
}

void check_mode(findings& r) {
  if (mode_allowed(params.mode, config.modes)) return;
  std::FILE* f = r.start(-1);
  if (params.mode == 0) {
    std::fputs("mode is not set (the catalog allows ", f);
  } else {
    std::fprintf(f, "mode %s is not allowed (the catalog allows ", mode_name(params.mode));
  }
  const char* sep = "";
  for (int mode : {MODE_INTERRUPT, MODE_POLL}) {
    if (!mode_allowed(mode, config.modes)) continue;
    std::fprintf(f, "%s%s", sep, mode_name(mode));
    sep = ", ";
  }
  std::fprintf(f, "%s)\n", sep[0] == '\0' ? "none" : "");
}

void check_size(findings& r, int n, const btype_rec& type, const board_rec& b) {
  if (const std::uint16_t forced = forced_size(params.bus, b.ioa)) {
    if (b.size != forced) {
      std::fprintf(r.start(n), "size %d is not allowed on the mc bus with an I/O address (%d)\n",
                   b.size, forced);
    }
  } else if (type.sizes.count > 0 && list_index(&type.sizes, b.size) < 0) {
    std::fprintf(r.start(n), "size %d is not offered by its type (", b.size);
    end_with_list(r.out, type.sizes, false);
  }
}

void check_irq(findings& r, int n, const btype_rec& type, const board_rec& b) {
  if (params.mode != MODE_INTERRUPT) return;
  const value_list irqs = offered(type.irqs);
  if (list_index(&irqs, b.irq) >= 0) return;
  std::fprintf(r.start(n), "irq %d is not offered by its type (", b.irq);
  end_with_list(r.out, irqs, false);
}

void check_sharing(findings& r, int n, const board_rec& b) {
  int pair[2] = {-1, -1};
  const irq_fault fault = irq_rule_broken(&params, pair);
  if (fault == IRQ_OK || pair[1] != n) return;
  std::fprintf(r.start(n), "irq %d is also used by board %d (%s)\n", b.irq, pair[0] + 1,
               fault == IRQ_EISA_SHARED ? "EISA and ISA boards cannot share an irq"
                                        : "irqs must be all the same or all different");
}

void check_ioa(findings& r, int n, const btype_rec& type, const board_rec& b) {
  // A type without primary addresses gets no I/O address, whatever its extras.
  const value_list ioas = type.ioas_primary.count > 0
                              ? ioa_choices(&type.ioas_primary, &type.ioas_extras)
                              : offered(type.ioas_primary);
  if (list_index(&ioas, b.ioa) >= 0) return;
  std::fprintf(r.start(n), "I/O address %x is not offered by its type (", b.ioa);
  end_with_list(r.out, ioas, true);
}

// Each board with an I/O address takes IO_SPAN addresses from it on.
void check_overlap(findings& r, int n, const board_rec& b) {
  if (b.ioa == 0) return;
  for (int i = 0; i < n; ++i) {
    const int other = params.boards[i].ioa;
    if (other == 0 || std::abs(other - b.ioa) >= IO_SPAN) continue;
    std::fprintf(r.start(n), "I/O range %x-%x overlaps board %d's (%x-%x)\n", b.ioa,
                 b.ioa + IO_SPAN - 1, i + 1, other, other + IO_SPAN - 1);
  }
}

void check_dpa(findings& r, int n, const btype_rec& type, const board_rec& b) {
  const unsigned long dpa = b.dpa;
  switch (dp_addr_fault(b.dpa, type.attr, b.size)) {
    case DP_OK:
      break;
    case DP_ABOVE_1MB:
      std::fprintf(r.start(n),
                   "memory address %lx is not below 1 Mbyte (its type has no extended memory)\n",
                   dpa);
      break;
    case DP_OFF_BOUNDARY:
      std::fprintf(r.start(n), "memory address %lx is not on a boundary of its size (%d Kbyte)\n",
                   dpa, b.size);
      break;
  }
}

}  // namespace

int check_set(std::FILE* out) {
  findings r{out, 0};
  check_mode(r);
  if (too_many_boards(params.nboards)) {
    std::fprintf(r.start(-1), "%d boards are more than the editor adds (at most %d)\n",
                 params.nboards, EDIT_MAX_BOARDS);
  }
  for (int n = 0; n < params.nboards && n < MAX_BOARDS; ++n) {
    const board_rec& b = params.boards[n];
    const btype_rec& type = config.types[b.type];
    if (type.bus != 0 && !type_on_bus(&type, params.bus)) {
      std::fprintf(r.start(n), "type %s is for the %s bus, not the set's (%s)\n", type.name,
                   bus_name(type.bus), bus_name(params.bus));
    }
    check_size(r, n, type, b);
    check_irq(r, n, type, b);
    check_sharing(r, n, b);
    check_ioa(r, n, type, b);
    check_overlap(r, n, b);
    check_dpa(r, n, type, b);
  }
  return r.count;
}
