// The check of a parameter set against the catalog: one finding for every rule it breaks,
// at the line of "par" (or of the old "dces") that holds the value in question.
//
// A board's findings follow the order of its lines: type, size, irq, I/O address, memory
// address. A finding that concerns two boards stands with the later one.
#include <algorithm>
#include <cstdarg>
#include <cstdlib>

#include "libcfg/libcfg.h"

namespace {

constexpr std::uint32_t MAIN_MEMORY_END = 0xa0000;  // below lies the host's main memory
constexpr int IO_LIMIT = 0xffff;                    // the last I/O address

// The line that holds a board's value, or its "type" line when the file gives none.
int line_of(int board, int par_where::board_where::*value) {
  const par_where::board_where& w = par_lines.boards[board];
  return w.*value != 0 ? w.*value : w.type;
}

std::string words(const char* format, std::va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  return text;
}

using board_value = int par_where::board_where::*;
constexpr board_value TYPE = &par_where::board_where::type, SIZE = &par_where::board_where::size,
                      IRQ = &par_where::board_where::irq, IOA = &par_where::board_where::ioa,
                      DPA = &par_where::board_where::dpa;

// Adds a finding about `board`, at the line of its `value`.
__attribute__((format(printf, 5, 6))) void say(std::vector<finding>& out, int board,
                                               board_value value, map_place place,
                                               const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  out.push_back({IN_PAR, line_of(board, value), board, place, words(format, args)});
  va_end(args);
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

void check_mode(std::vector<finding>& out) {
  if (mode_allowed(params.mode, config.modes)) return;
  std::string allowed;
  for (int mode : {MODE_INTERRUPT, MODE_POLL}) {
    if (!mode_allowed(mode, config.modes)) continue;
    allowed += allowed.empty() ? "" : ", ";
    allowed += mode_name(mode);
  }
  if (allowed.empty()) allowed = "none";
  if (params.mode == 0) {
    out.push_back(found(IN_PAR, par_lines.mode, -1, ON_NOTHING,
                        "mode is not set (the catalog allows %s)", allowed.c_str()));
  } else {
    out.push_back(found(IN_PAR, par_lines.mode, -1, ON_NOTHING,
                        "mode %s is not allowed (the catalog allows %s)", mode_name(params.mode),
                        allowed.c_str()));
  }
}

// Beyond four boards the minor numbers of "Node" run into each other.
void check_count(std::vector<finding>& out) {
  if (!too_many_boards(params.nboards)) return;
  out.push_back(found(IN_PAR, par_lines.boards[EDIT_MAX_BOARDS].type, -1, ON_NOTHING,
                      "%d boards are more than the editor adds (at most %d): the minor numbers "
                      "of their nodes repeat those of boards 1 to %d",
                      params.nboards, EDIT_MAX_BOARDS, EDIT_MAX_BOARDS));
}

void check_bus(std::vector<finding>& out, int n, const btype_rec& type) {
  if (type.bus == 0 || type_on_bus(&type, params.bus)) return;
  say(out, n, TYPE, ON_NOTHING, "type %s is for the %s bus, not the set's (%s)",
      visible(type.name).c_str(), bus_name(type.bus), bus_name(params.bus));
}

void check_size(std::vector<finding>& out, int n, const btype_rec& type, const board_rec& b) {
  if (const std::uint16_t forced = forced_size(params.bus, b.ioa)) {
    if (b.size != forced) {
      say(out, n, SIZE, ON_WINDOW, "size %d is not allowed on the mc bus with an I/O address (%d)",
          b.size, forced);
    }
  } else if (type.sizes.count > 0 && list_index(&type.sizes, b.size) < 0) {
    say(out, n, SIZE, ON_WINDOW, "size %d is not offered by its type (%s)", b.size,
        list_text(type.sizes, false).c_str());
  }
}

void check_irq(std::vector<finding>& out, int n, const btype_rec& type, const board_rec& b) {
  if (params.mode != MODE_INTERRUPT) return;
  const value_list irqs = offered(type.irqs);
  if (list_index(&irqs, b.irq) >= 0) return;
  say(out, n, IRQ, ON_IRQ, "irq %d is not offered by its type (%s)", b.irq,
      list_text(irqs, false).c_str());
}

void check_sharing(std::vector<finding>& out, int n, const board_rec& b) {
  int pair[2] = {-1, -1};
  const irq_fault fault = irq_rule_broken(&params, pair);
  if (fault == IRQ_OK || pair[1] != n) return;
  say(out, n, IRQ, ON_IRQ, "irq %d is also used by board %d (%s)", b.irq, pair[0] + 1,
      fault == IRQ_EISA_SHARED ? "EISA and ISA boards cannot share an irq"
                               : "irqs must be all the same or all different");
}

void check_ioa(std::vector<finding>& out, int n, const btype_rec& type, const board_rec& b) {
  // A type without primary addresses gets no I/O address, whatever its extras.
  const value_list ioas = type.ioas_primary.count > 0
                              ? ioa_choices(&type.ioas_primary, &type.ioas_extras)
                              : offered(type.ioas_primary);
  if (list_index(&ioas, b.ioa) >= 0) return;
  say(out, n, IOA, ON_IO_RANGE, "I/O address %x is not offered by its type (%s)", b.ioa,
      list_text(ioas, true).c_str());
}

// Each board with an I/O address takes IO_SPAN addresses from it on, up to ffff.
void check_io_range(std::vector<finding>& out, int n, const board_rec& b) {
  if (b.ioa == 0) return;
  const int end = b.ioa + IO_SPAN - 1;
  for (int i = 0; i < n; ++i) {
    const int other = params.boards[i].ioa;
    if (other == 0 || std::abs(other - b.ioa) >= IO_SPAN) continue;
    say(out, n, IOA, ON_IO_RANGE, "I/O range %x-%x overlaps board %d's (%x-%x)", b.ioa, end, i + 1,
        other, other + IO_SPAN - 1);
  }
  if (end > IO_LIMIT) say(out, n, IOA, ON_IO_RANGE, "I/O range %x-%x passes ffff", b.ioa, end);
}

void check_dpa(std::vector<finding>& out, int n, const btype_rec& type, const board_rec& b) {
  const unsigned long dpa = b.dpa;
  switch (dp_addr_fault(b.dpa, type.attr, b.size)) {
    case DP_OK:
      break;
    case DP_ABOVE_1MB:
      say(out, n, DPA, ON_WINDOW,
          "memory address %lx is not below 1 Mbyte (its type has no extended memory)", dpa);
      break;
    case DP_OFF_BOUNDARY:
      say(out, n, DPA, ON_WINDOW, "memory address %lx is not on a boundary of its size (%d Kbyte)",
          dpa, b.size);
      break;
  }
  if (b.dpa < MAIN_MEMORY_END) {
    say(out, n, DPA, ON_WINDOW,
        "memory address %lx lies in the host's main memory: a window below 1 Mbyte must start "
        "at or above a0000",
        dpa);
  }
}

// A DCE line among ports 0 to 7 takes the minor of the port eight above it, which a
// 16-port board has too: two device names for one device.
void check_minors(std::vector<finding>& out, int n, const btype_rec& type) {
  if (ports_of(type) <= LOGICAL_PORTS) return;
  for (const int group : {0, UPPER_GROUP}) {
    const char letter = group == 0 ? 'a' : 'A';
    for (int p = 0; p < DCE_PORTS; ++p) {
      const int index = group + SLOTS_PER_BOARD * n + p;
      if (!is_dce[index]) continue;
      out.push_back(found(IN_DCES, dce_lines[index], n, ON_NOTHING,
                          "tty%c%d%c, a DCE line, takes minor %d, the minor of tty%c%d%c", letter,
                          n, port_name[p], index + DCE_PORTS, letter, n, port_name[p + DCE_PORTS]));
    }
  }
}

}  // namespace

finding found(check_file file, int line, int board, map_place place, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  finding f{file, line, board, place, words(format, args)};
  va_end(args);
  return f;
}

std::string list_text(const value_list& list, bool hex) {
  std::string text;
  char value[16];
  for (int i = 0; i < list.count && i < MAX_VALUES; ++i) {
    std::snprintf(value, sizeof value, hex ? "%s%x" : "%s%d", i > 0 ? ", " : "", list.values[i]);
    text += value;
  }
  return text;
}

std::string visible(const char* text) {
  std::string shown;
  for (const char* c = text; *c != '\0'; ++c) {
    const auto u = static_cast<unsigned char>(*c);
    if (u >= ' ' && u != 0x7f) {
      shown += *c;
    } else if (u == '\r' || u == '\t') {
      shown += u == '\r' ? "\\r" : "\\t";
    } else {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o", u);
      shown += octal;
    }
  }
  return shown;
}

std::vector<finding> parameter_findings() {
  std::vector<finding> out;
  check_mode(out);
  check_count(out);
  for (int n = 0; n < params.nboards && n < MAX_BOARDS; ++n) {
    const board_rec& b = params.boards[n];
    const btype_rec& type = config.types[b.type];
    check_bus(out, n, type);
    check_size(out, n, type, b);
    check_irq(out, n, type, b);
    check_sharing(out, n, b);
    check_ioa(out, n, type, b);
    check_io_range(out, n, b);
    check_dpa(out, n, type, b);
  }
  for (int n = 0; n < params.nboards && n < MAX_BOARDS; ++n) {
    check_minors(out, n, config.types[params.boards[n].type]);
  }
  return out;
}

std::vector<finding> all_findings() {
  std::vector<finding> all = reader_findings();
  for (auto* more : {catalog_findings, parameter_findings}) {
    std::vector<finding> found = more();
    all.insert(all.end(), found.begin(), found.end());
  }
  std::stable_sort(all.begin(), all.end(), [](const finding& a, const finding& b) {
    return a.file != b.file ? a.file < b.file : a.line < b.line;
  });
  return all;
}

bool form_check_paths(const char* prog, check_paths& paths) {
  paths.cfg.reset(make_path(prog, "cfg"));
  if (paths.cfg) paths.par.reset(make_path(prog, "par"));
  if (paths.par) paths.dces.reset(make_path(prog, "dces"));
  return paths.dces != nullptr;
}

void print_finding(std::FILE* out, const char* prefix, const check_paths& paths, const finding& f) {
  const char* path = f.file == IN_CFG   ? paths.cfg.get()
                     : f.file == IN_PAR ? paths.par.get()
                                        : paths.dces.get();
  std::fprintf(out, "%s%s:", prefix, path);
  if (f.line != 0) std::fprintf(out, "%d:", f.line);
  std::fputc(' ', out);
  if (f.board >= 0) std::fprintf(out, "board %d: ", f.board + 1);
  std::fprintf(out, "%s\n", f.text.c_str());
}

int check_set(const char* prog, std::FILE* out) {
  check_paths paths;
  if (!form_check_paths(prog, paths)) return 1;
  load_dces(prog, paths.dces.get());
  const std::vector<finding> all = all_findings();
  for (const finding& f : all) print_finding(out, "", paths, f);
  return static_cast<int>(all.size()) + cfg_lines.warnings + par_lines.warnings;
}

void warn_after_saving(const char* prog) {
  check_paths paths;
  if (!form_check_paths(prog, paths)) return;
  load_dces(prog, paths.dces.get());
  std::string prefix = prog;
  prefix += ": warning: ";
  std::fflush(stdout);
  for (const finding& f : parameter_findings()) print_finding(stderr, prefix.c_str(), paths, f);
}
