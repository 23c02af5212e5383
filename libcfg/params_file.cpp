// The board parameter file "par": its reader, its writer, its listing and a fresh set.
#include <cerrno>

#include "libcfg/libcfg.h"
#include "libcfg/line_reader.h"

namespace {

// What the reader keeps while it goes through the file.
struct par_state {
  int count;           // boards stored so far
  board_rec* current;  // the board of the latest "type" line: a slot or `garbage`
  int line;            // the number of the line being read
};

using par_parse = void (*)(par_state& st, int argc, char** argv);
using board_line = int par_where::board_where::*;

struct par_rule {
  std::int16_t code;
  bool one_arg;      // the keyword needs an argument
  board_line field;  // where a line that sets a field of the current board is recorded
  par_parse parse;
};

void parse_bus(par_state&, int, char** argv) {
  if (const int bus = bus_of_word(argv[1])) {
    params.bus = static_cast<std::uint8_t>(bus);
  } else {
    warn(par_lines.warnings, pw, "invalid bus type", argv[1]);
  }
}

// The words are taken from the last, so the first valid word of the line wins.
void parse_mode(par_state& st, int argc, char** argv) {
  par_lines.mode = st.line;
  for (int i = argc - 1; i >= 1; --i) {
    switch (argv[i][0]) {
      case 'p':
        params.mode = MODE_POLL;
        break;
      case 'i':
        params.mode = MODE_INTERRUPT;
        break;
      default:
        warn(par_lines.warnings, pw, "invalid driver mode", argv[i]);
    }
  }
}

void parse_type(par_state& st, int, char** argv) {
  const int t = search(btype_tags.data(), argv[1]);
  if (t < 0) {
    warn(par_lines.warnings, pw, "unknown board type", argv[1]);
    st.current = &garbage;
    if (par_lines.ndropped < par_where::MAX_DROPPED) {
      par_where::dropped_board& d = par_lines.dropped[par_lines.ndropped];
      d.line = st.line;
      std::snprintf(d.type, sizeof d.type, "%s", argv[1]);
    }
    ++par_lines.ndropped;
    return;
  }
  if (st.count >= MAX_BOARDS) {
    warn(par_lines.warnings, pw, "too many boards", argv[1]);
    st.current = &garbage;
    return;
  }
  par_lines.boards[st.count] = {st.line, 0, 0, 0, 0};
  st.current = &params.boards[st.count++];
  *st.current = {static_cast<std::uint16_t>(t), 0, 0, 0, 0};
}

void parse_size(par_state& st, int, char** argv) {
  st.current->size = static_cast<std::uint16_t>(read_decimal(argv[1]));
}

void parse_irq(par_state& st, int, char** argv) {
  st.current->irq = static_cast<std::uint16_t>(read_decimal(argv[1]));
}

void parse_ioa(par_state& st, int, char** argv) {
  st.current->ioa = static_cast<std::uint16_t>(htol(argv[1]));
}

void parse_dpa(par_state& st, int, char** argv) {
  st.current->dpa = htol(argv[1]);
}

using bw = par_where::board_where;
constexpr par_rule par_rules[] = {
    {KW_BUS, true, nullptr, parse_bus},   {KW_MODE, false, nullptr, parse_mode},
    {KW_TYPE, true, nullptr, parse_type}, {KW_SIZES, true, &bw::size, parse_size},
    {KW_IRQS, true, &bw::irq, parse_irq}, {KW_IOA, true, &bw::ioa, parse_ioa},
    {KW_DPA, true, &bw::dpa, parse_dpa},  {0, false, nullptr, nullptr},
};

const par_rule* find_rule(int code) {
  const par_rule* r = par_rules;
  while (r->parse != nullptr && r->code != code) ++r;
  return r->parse != nullptr ? r : nullptr;
}

void parse_line(par_state& st, int argc, char** argv) {
  const par_rule* rule = find_rule(search(param_tags.data(), argv[0]));
  if (rule == nullptr) {
    warn(par_lines.warnings, pw, "unknown parameter", argv[0]);
    return;
  }
  if (rule->one_arg && argc < 2) {
    warn(par_lines.warnings, pw, "missing value", argv[0]);
    return;
  }
  if (rule->field != nullptr && st.current == nullptr) {
    warn(par_lines.warnings, pw, "no board yet", argv[0]);
    return;
  }
  rule->parse(st, argc, argv);
  if (rule->field != nullptr && st.current != &garbage) {
    par_lines.boards[st.current - params.boards.data()].*rule->field = st.line;
  }
}

}  // namespace

params_rec* read_params(std::FILE* in) {
  par_state st{0, nullptr, 1};
  params.bus = 0;
  par_lines = {};
  std::array<char*, MAX_TOKENS> argv{};
  line_reader lines(in);
  for (std::size_t n; (n = read_line(lines, buf, BUF_SIZE)) != 0;) {
    const bool ends_line = buf[n - 1] == '\n';
    const int argc = argvify(argv.data(), buf);
    if (argc > 0 && par_lines.first_cr == 0 && ends_in_cr(argv[argc - 1]))
      par_lines.first_cr = st.line;
    if (argc > 0) parse_line(st, argc, argv.data());
    if (ends_line) ++st.line;
  }
  params.nboards = st.count;
  errno = lines.error;
  return lines.error == 0 ? &params : nullptr;
}

params_rec* load_params(const char* prog) {
  const auto read = [](std::FILE* f) { return read_params(f) != nullptr; };
  return load_beside(prog, "par", "load_params", read) ? &params : nullptr;
}

void write_params(std::FILE* f) {
  // The lines as written: the file read back has its values where this records them.
  par_lines = {};
  int line = 1;
  std::fputs("# Common Params...\n", f);
  ++line;
  // An unset mode gets no line, so the file reads back unset.
  if (params.mode != 0) {
    par_lines.mode = line;
    std::fputs("mode ", f);
    if (params.mode & MODE_POLL) {
      std::fputs("polling\n", f);
      line += 1;
    }
    if (params.mode & MODE_INTERRUPT) {
      std::fputs("interrupt\n\n", f);
      line += 2;
    }
  }
  std::fprintf(f, "bus %s\n", params.bus == BUS_AT ? "at" : "mc");
  std::fputs("# Per Board Params...\n\n", f);
  line += 3;
  for (int i = 0; i < params.nboards; ++i) {
    const board_rec& b = params.boards[i];
    std::fprintf(f, "# Board %d...\n", i + 1);
    std::fprintf(f, "\ttype \"%s\"\n", btype_tags[b.type].name);
    std::fprintf(f, "\tsize %d\n", b.size);
    std::fprintf(f, "\tirq  %d\n", b.irq);
    std::fprintf(f, "\tioa  %x\n", b.ioa);
    std::fprintf(f, "\tdpa  %lx\n\n", static_cast<unsigned long>(b.dpa));
    par_lines.boards[i] = {line + 1, line + 2, line + 3, line + 4, line + 5};
    line += 7;
  }
}

int save_params(const char* prog) {
  const path_ptr path(make_path(prog, "par"));
  if (path == nullptr) return -1;
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* const f = open_memstream(&text, &size);
  if (f == nullptr) {
    report_call(prog, "save_params", "write", path.get());
    return -1;
  }
  write_params(f);
  std::fclose(f);
  const int result = replace_file(prog, "save_params", path.get(), {text, size}, KEEP_OLD | SYNC);
  std::free(text);
  return result;
}

void print_params() {
  std::fputs("\nCommon Params...", stdout);
  std::fputs("\nmode: ", stdout);
  if (params.mode & MODE_POLL) std::fputs("polling ", stdout);
  if (params.mode & MODE_INTERRUPT) std::fputs("interrupt ", stdout);
  std::fputs(params.bus == BUS_AT ? "\nbus : at" : "\nbus : mc", stdout);
  std::fputs("\nPer Board Params...\n", stdout);
  for (int i = 0; i < params.nboards; ++i) {
    const board_rec& b = params.boards[i];
    std::printf("%d) %s  ", i, config.types[b.type].class_);
    std::printf("\tioa: %x", b.ioa);
    std::printf("\tdpa: %lx", static_cast<unsigned long>(b.dpa));
    std::printf("\tdps: %d", b.size);
    std::printf("  \tirq: %d\n", b.irq);
  }
}

params_rec* init_params(int argc, char** argv) {
  if (argc < 2) {
    params.bus = 0;
  } else {
    params.bus = bus_of_word(argv[1]) == BUS_AT ? BUS_AT : BUS_MC;
  }
  params.nboards = 0;
  params.mode = 0;
  return &params;
}
