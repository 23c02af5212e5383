// The board parameter file "par": its reader, its writer, its listing and a fresh set.
#include <iterator>
#include <string>

#include <fmt/format.h>

#include "base/files.h"
#include "base/lines.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/keyword_file.h"
#include "model/records.h"

namespace kdz {

namespace {

// What the reader keeps while it goes through the file.
struct par_state {
  const catalog& cat;
  board_set& set;
  warning_list& warnings;
  // The board of the latest "type" line and the lines of its values: a slot of the set,
  // or the scratch records below for a board that is dropped.
  board_rec* current = nullptr;
  par_where::board_where* current_lines = nullptr;
  board_rec garbage{};  // takes the values of a board whose type is unknown
  par_where::board_where garbage_lines{};
  // The block of the latest "type" line: its board, -1 for the head before the first,
  // DROPPED for a board that is dropped; and the line that gave each keyword's value in it.
  static constexpr int DROPPED = -2;
  int block = -1;
  std::array<int, KW_CODES> block_lines{};
};

// Where a keyword may stand.
enum par_place {
  COMMON,  // a value of the whole set
  BOARD,   // a value of the board of the latest "type" line
};

void par_warn(par_state& st, const keyword_line& line, const char* problem, const char* word) {
  warn(st.warnings, IN_PAR, line.number, pw, problem, word);
}

// The keyword of "par" that has the code `code`.
const char* keyword_name(keyword_code code) {
  const tag_entry* row = param_tags.data();
  while (row->name[0] != '\0' && row->code != code) ++row;
  return row->name;
}

// Notes that `line` gave the value of its keyword `code` in the current block: a value
// given there before is replaced, which the check reports.
void took_value(par_state& st, const keyword_line& line, keyword_code code) {
  int& earlier = st.block_lines[code];
  par_where& lines = st.set.lines;
  if (earlier != 0 && st.block != par_state::DROPPED) {
    if (lines.nrepeats < par_where::MAX_REPEATS) {
      lines.repeats[lines.nrepeats] = {line.number, earlier, st.block, keyword_name(code)};
    }
    ++lines.nrepeats;
  }
  earlier = line.number;
}

void parse_bus(par_state& st, const keyword_line& line) {
  if (const int bus = bus_of_word(line.argv[1])) {
    took_value(st, line, KW_BUS);
    st.set.params.bus = static_cast<std::uint8_t>(bus);
  } else {
    par_warn(st, line, "invalid bus type", line.argv[1]);
  }
}

// The words are taken from the last, so the first valid word of the line wins.
void parse_mode(par_state& st, const keyword_line& line) {
  st.set.lines.mode = line.number;
  bool took = false;
  for (int i = line.argc - 1; i >= 1; --i) {
    switch (line.argv[i][0]) {
      case 'p':
        st.set.params.mode = MODE_POLL;
        took = true;
        break;
      case 'i':
        st.set.params.mode = MODE_INTERRUPT;
        took = true;
        break;
      default:
        par_warn(st, line, "invalid driver mode", line.argv[i]);
    }
  }
  if (took) took_value(st, line, KW_MODE);
}

// A board of a type the catalog lacks: its values go to the scratch records.
void drop_board(par_state& st, const keyword_line& line, const char* problem) {
  par_warn(st, line, problem, line.argv[1]);
  st.current = &st.garbage;
  st.current_lines = &st.garbage_lines;
  st.block = par_state::DROPPED;
}

void parse_type(par_state& st, const keyword_line& line) {
  par_where& lines = st.set.lines;
  const int t = find_type(st.cat, line.argv[1]);
  st.block_lines = {};
  if (t < 0) {
    drop_board(st, line, "unknown board type");
    if (lines.ndropped < par_where::MAX_DROPPED) {
      par_where::dropped_board& d = lines.dropped[lines.ndropped];
      d.line = line.number;
      copy_field(d.type, line.argv[1]);
    }
    ++lines.ndropped;
    return;
  }
  params_rec& params = st.set.params;
  if (params.nboards >= MAX_BOARDS) {
    drop_board(st, line, "too many boards");
    return;
  }
  st.block = params.nboards;
  st.current_lines = &lines.boards[params.nboards];
  *st.current_lines = {line.number, 0, 0, 0, 0};
  st.current = &params.boards[params.nboards++];
  *st.current = {static_cast<std::uint16_t>(t), 0, 0, 0, 0};
}

void parse_size(par_state& st, const keyword_line& line) {
  took_value(st, line, KW_SIZES);
  st.current->size = static_cast<std::uint16_t>(read_decimal(line.argv[1]));
  st.current_lines->size = line.number;
}

void parse_irq(par_state& st, const keyword_line& line) {
  took_value(st, line, KW_IRQS);
  st.current->irq = static_cast<std::uint16_t>(read_decimal(line.argv[1]));
  st.current_lines->irq = line.number;
}

void parse_ioa(par_state& st, const keyword_line& line) {
  took_value(st, line, KW_IOA);
  st.current->ioa = static_cast<std::uint16_t>(htol(line.argv[1]));
  st.current_lines->ioa = line.number;
}

void parse_dpa(par_state& st, const keyword_line& line) {
  took_value(st, line, KW_DPA);
  st.current->dpa = htol(line.argv[1]);
  st.current_lines->dpa = line.number;
}

constexpr keyword_rule<par_state> par_rules[] = {
    {KW_BUS, true, COMMON, parse_bus},   {KW_MODE, false, COMMON, parse_mode},
    {KW_TYPE, true, COMMON, parse_type}, {KW_SIZES, true, BOARD, parse_size},
    {KW_IRQS, true, BOARD, parse_irq},   {KW_IOA, true, BOARD, parse_ioa},
    {KW_DPA, true, BOARD, parse_dpa},    {0, false, COMMON, nullptr},
};

// Every line of "par" is looked at.
bool never_dropped(const par_state&, int) {
  return false;
}

const char* misplaced(const par_state& st, int place) {
  return place == BOARD && st.current == nullptr ? "no board yet" : nullptr;
}

constexpr keyword_grammar<par_state> par_grammar = {
    param_tags.data(), par_rules, rule_index(par_rules), IN_PAR, pw, never_dropped, misplaced,
};

}  // namespace

bool read_params(std::FILE* in, const catalog& cat, board_set& set, warning_list& warnings) {
  set = {};
  par_state st{cat, set, warnings};
  const bool read = read_keyword_file(in, par_grammar, st, warnings, set.lines.first_cr);
  set.moves = moves_as_read(set.params.nboards);
  return read;
}

error load_params(const program_files& at, const catalog& cat, board_set& set,
                  warning_list& warnings) {
  const auto read = [&](std::FILE* f) { return read_params(f, cat, set, warnings); };
  return load_beside(at, "par", "load_params", read);
}

namespace {

using text_buffer = fmt::memory_buffer;

// The common lines: a mode line (none for an unset mode, so that the file reads back
// unset) and the bus line (none for a set without boards, whose first board will choose
// the bus). Returns the number of the line after them.
int put_common(text_buffer& out, const params_rec& set, par_where& lines) {
  int line = 1;
  fmt::format_to(std::back_inserter(out), "# Common Params...\n");
  ++line;
  if (set.mode != 0) {
    lines.mode = line;
    fmt::format_to(std::back_inserter(out), "mode ");
    if (set.mode & MODE_POLL) {
      fmt::format_to(std::back_inserter(out), "polling\n");
      line += 1;
    }
    if (set.mode & MODE_INTERRUPT) {
      fmt::format_to(std::back_inserter(out), "interrupt\n\n");
      line += 2;
    }
  }
  if (set.nboards > 0) {
    fmt::format_to(std::back_inserter(out), "bus {}\n", set.bus == BUS_AT ? "at" : "mc");
    ++line;
  }
  fmt::format_to(std::back_inserter(out), "# Per Board Params...\n\n");
  return line + 2;
}

}  // namespace

std::string params_text(const catalog& cat, const params_rec& set, par_where& lines) {
  lines = {};
  text_buffer out;
  int line = put_common(out, set, lines);
  for (int i = 0; i < set.nboards; ++i) {
    const board_rec& b = set.boards[i];
    fmt::format_to(
        std::back_inserter(out),
        "# Board {}...\n\ttype \"{}\"\n\tsize {}\n\tirq  {}\n\tioa  {:x}\n\tdpa  {:x}\n\n", i + 1,
        cat.config.types[b.type].name, b.size, b.irq, b.ioa, b.dpa);
    lines.boards[i] = {line + 1, line + 2, line + 3, line + 4, line + 5};
    line += 7;
  }
  return fmt::to_string(out);
}

par_where write_params(std::FILE* f, const catalog& cat, const params_rec& set) {
  par_where lines{};
  write_text(f, params_text(cat, set, lines));
  return lines;
}

error save_params(const program_files& at, const catalog& cat, board_set& set, std::string& path,
                  std::string& text) {
  path_ptr formed;
  if (error e = make_path(at, "par", formed); !e.ok()) return e;
  path = formed.get();
  // The lines tell where the values stand in the file as written, also for a caller that
  // goes on after a failed write.
  text = params_text(cat, set.params, set.lines);
  return {};
}

void print_params(const catalog& cat, const params_rec& set) {
  text_buffer out;
  fmt::format_to(std::back_inserter(out), "\nCommon Params...\nmode: {}{}{}\nPer Board Params...\n",
                 set.mode & MODE_POLL ? "polling " : "",
                 set.mode & MODE_INTERRUPT ? "interrupt " : "",
                 set.bus == BUS_AT ? "\nbus : at" : "\nbus : mc");
  for (int i = 0; i < set.nboards; ++i) {
    const board_rec& b = set.boards[i];
    fmt::format_to(std::back_inserter(out), "{}) {}  \tioa: {:x}\tdpa: {:x}\tdps: {}  \tirq: {}\n",
                   i, cat.config.types[b.type].class_, b.ioa, b.dpa, b.size, b.irq);
  }
  write_text(stdout, {out.data(), out.size()});
}

board_set init_params(int argc, char** argv) {
  board_set set{};
  if (argc >= 2) set.params.bus = bus_of_word(argv[1]) == BUS_AT ? BUS_AT : BUS_MC;
  return set;
}

}  // namespace kdz
