// The check of a parameter set against the catalog: one finding for every rule it breaks,
// at the line of "par" (or of the old "dces") that holds the value in question.
//
// A board's findings follow the order of its lines: type, size, irq, I/O address, memory
// address. A finding that concerns two boards stands with the later one.
#include <fmt/format.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/lines.h"
#include "check/check.h"
#include "check/check_rules.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"
#include "model/rules.h"
#include "package/port_lines.h"

namespace kdz {

namespace {

constexpr std::uint32_t MAIN_MEMORY_END = 0xa0000;  // below lies the host's main memory
constexpr int IO_LIMIT = 0xffff;                    // the last I/O address

using board_value = int par_where::board_where::*;
constexpr board_value TYPE = &par_where::board_where::type, SIZE = &par_where::board_where::size,
                      IRQ = &par_where::board_where::irq, IOA = &par_where::board_where::ioa,
                      DPA = &par_where::board_where::dpa;

// What the rules of one board read: the set, where its values stand, the board and its type.
struct board_view {
  const params_rec& params;
  const par_where& lines;
  int n;
  const board_rec& b;
  const btype_rec& type;
};

// The line that holds a board's value, or its "type" line when the file gives none.
int line_of(const board_view& v, board_value value) {
  const par_where::board_where& w = v.lines.boards[v.n];
  return w.*value != 0 ? w.*value : w.type;
}

// Adds a finding about the board of `v`, at the line of its `value`; `words()` gives its
// words, when they are kept.
template <typename Words>
void say(finding_sink& out, const board_view& v, board_value value, map_place place,
         const Words& words, int other = -1) {
  add_finding(out, IN_PAR, line_of(v, value), v.n, place, words, other);
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

std::string mode_words(int mode, int modes) {
  std::string allowed;
  for (const int m : {MODE_INTERRUPT, MODE_POLL}) {
    if (!mode_allowed(m, modes)) continue;
    allowed += allowed.empty() ? "" : ", ";
    allowed += mode_name(m);
  }
  if (allowed.empty()) allowed = "none";
  return mode == 0 ? fmt::format("mode is not set (the catalog allows {})", allowed)
                   : fmt::format("mode {} is not allowed (the catalog allows {})", mode_name(mode),
                                 allowed);
}

void check_mode(finding_sink& out, const catalog& cat, const board_set& set) {
  const int mode = set.params.mode;
  if (mode_allowed(mode, cat.config.modes)) return;
  add_finding(out, IN_PAR, set.lines.mode, -1, ON_NOTHING,
              [&] { return mode_words(mode, cat.config.modes); });
}

// Beyond four boards the minor numbers of "Node" run into each other.
void check_count(finding_sink& out, const board_set& set) {
  if (!too_many_boards(set.params.nboards)) return;
  add_finding(out, IN_PAR, set.lines.boards[EDIT_MAX_BOARDS].type, -1, ON_NOTHING, [&] {
    return fmt::format(
        "{} boards are more than the editor adds (at most {}): the minor "
        "numbers of their nodes repeat those of boards 1 to {}",
        set.params.nboards, EDIT_MAX_BOARDS, EDIT_MAX_BOARDS);
  });
}

void check_bus(finding_sink& out, const board_view& v) {
  if (v.type.bus == 0 || type_on_bus(&v.type, v.params.bus)) return;
  say(out, v, TYPE, ON_NOTHING, [&] {
    return fmt::format("type {} is for the {} bus, not the set's ({})", visible(v.type.name),
                       bus_name(v.type.bus), bus_name(v.params.bus));
  });
}

void check_size(finding_sink& out, const board_view& v) {
  if (const std::uint16_t forced = forced_size(v.params.bus, v.b.ioa)) {
    if (v.b.size != forced) {
      say(out, v, SIZE, ON_WINDOW, [&] {
        return fmt::format("size {} is not allowed on the mc bus with an I/O address ({})",
                           v.b.size, forced);
      });
    }
  } else if (v.type.sizes.count > 0 && list_index(&v.type.sizes, v.b.size) < 0) {
    say(out, v, SIZE, ON_WINDOW, [&] {
      return fmt::format("size {} is not offered by its type ({})", v.b.size,
                         list_text(v.type.sizes, false));
    });
  }
}

void check_irq(finding_sink& out, const board_view& v) {
  if (v.params.mode != MODE_INTERRUPT) return;
  const value_list irqs = offered(v.type.irqs);
  if (list_index(&irqs, v.b.irq) >= 0) return;
  say(out, v, IRQ, ON_IRQ, [&] {
    return fmt::format("irq {} is not offered by its type ({})", v.b.irq, list_text(irqs, false));
  });
}

// The first two boards that break the interrupt-sharing rules, as irq_rule_broken finds
// them in the whole set: the finding stands with the later one.
struct sharing {
  irq_fault fault;
  int pair[2];
};

void check_sharing(finding_sink& out, const sharing& broken, const board_view& v) {
  if (broken.fault == IRQ_OK || broken.pair[1] != v.n) return;
  say(
      out, v, IRQ, ON_IRQ,
      [&] {
        return fmt::format("irq {} is also used by board {} ({})", v.b.irq, broken.pair[0] + 1,
                           broken.fault == IRQ_EISA_SHARED
                               ? "EISA and ISA boards cannot share an irq"
                               : "irqs must be all the same or all different");
      },
      broken.pair[0]);
}

void check_ioa(finding_sink& out, const board_view& v) {
  // A type without primary addresses gets no I/O address, whatever its extras.
  const value_list ioas = v.type.ioas_primary.count > 0
                              ? ioa_choices(&v.type.ioas_primary, &v.type.ioas_extras)
                              : offered(v.type.ioas_primary);
  if (list_index(&ioas, v.b.ioa) >= 0) return;
  say(out, v, IOA, ON_IO_RANGE, [&] {
    return fmt::format("I/O address {:x} is not offered by its type ({})", v.b.ioa,
                       list_text(ioas, true));
  });
}

// Each board with an I/O address takes IO_SPAN addresses from it on, up to ffff.
void check_io_range(finding_sink& out, const board_view& v) {
  const int ioa = v.b.ioa;
  if (ioa == 0) return;
  const int end = ioa + IO_SPAN - 1;
  for (int i = 0; i < v.n; ++i) {
    const int other = v.params.boards[i].ioa;
    if (other == 0 || std::abs(other - ioa) >= IO_SPAN) continue;
    say(
        out, v, IOA, ON_IO_RANGE,
        [&] {
          return fmt::format("I/O range {:x}-{:x} overlaps board {}'s ({:x}-{:x})", ioa, end, i + 1,
                             other, other + IO_SPAN - 1);
        },
        i);
  }
  if (end > IO_LIMIT) {
    say(out, v, IOA, ON_IO_RANGE,
        [&] { return fmt::format("I/O range {:x}-{:x} passes ffff", ioa, end); });
  }
}

void check_dpa(finding_sink& out, const board_view& v) {
  const std::uint32_t dpa = v.b.dpa;
  switch (dp_addr_fault(dpa, v.type.attr, v.b.size)) {
    case DP_OK:
      break;
    case DP_ABOVE_1MB:
      say(out, v, DPA, ON_WINDOW, [&] {
        return fmt::format(
            "memory address {:x} is not below 1 Mbyte (its type has no extended memory)", dpa);
      });
      break;
    case DP_OFF_BOUNDARY:
      say(out, v, DPA, ON_WINDOW, [&] {
        return fmt::format("memory address {:x} is not on a boundary of its size ({} Kbyte)", dpa,
                           v.b.size);
      });
      break;
  }
  if (dpa < MAIN_MEMORY_END) {
    say(out, v, DPA, ON_WINDOW, [&] {
      return fmt::format(
          "memory address {:x} lies in the host's main memory: a window below 1 Mbyte must "
          "start at or above a0000",
          dpa);
    });
  }
}

// A DCE line among ports 0 to 7 takes the minor of the port eight above it, which a
// 16-port board has too: two device names for one device.
void check_minors(finding_sink& out, const port_state& ports, int n, const btype_rec& type) {
  if (ports_of(type) <= LOGICAL_PORTS) return;
  for (const int group : {0, UPPER_GROUP}) {
    const char letter = group_letter(group);
    for (int p = 0; p < DCE_PORTS; ++p) {
      const int index = group + SLOTS_PER_BOARD * n + p;
      if (!ports.is_dce[index]) continue;
      add_finding(out, IN_DCES, ports.dce_lines[index], n, ON_NOTHING, [&] {
        return fmt::format(
            "{}, a DCE line, takes minor {}, the minor of {}",
            fmt::format(DEVICE_NAME, letter, board_digit(n), port_name[p]), index + DCE_PORTS,
            fmt::format(DEVICE_NAME, letter, board_digit(n), port_name[p + DCE_PORTS]));
      });
    }
  }
}

}  // namespace

void parameter_rules(const catalog& cat, const board_set& set, const port_state& ports,
                     finding_sink& out) {
  check_mode(out, cat, set);
  check_count(out, set);
  const params_rec& params = set.params;
  sharing broken{IRQ_OK, {-1, -1}};
  broken.fault = irq_rule_broken(cat, &params, broken.pair);
  const int nboards = std::min(params.nboards, MAX_BOARDS);
  for (int n = 0; n < nboards; ++n) {
    const board_rec& b = params.boards[n];
    const board_view v{params, set.lines, n, b, cat.config.types[b.type]};
    check_bus(out, v);
    check_size(out, v);
    check_irq(out, v);
    check_sharing(out, broken, v);
    check_ioa(out, v);
    check_io_range(out, v);
    check_dpa(out, v);
  }
  for (int n = 0; n < nboards; ++n) {
    check_minors(out, ports, n, cat.config.types[params.boards[n].type]);
  }
}

}  // namespace kdz
