// The board catalog "cfg": its reader, which fills `config`, `def` and the type tables,
// and its listing.
#include <cerrno>
#include <cstring>

#include "libcfg/libcfg.h"
#include "libcfg/line_reader.h"

namespace {

// What the reader keeps while it goes through the file.
struct cfg_state {
  bool defaults;    // still before the first "type" line
  bool refused;     // in the block of a type beyond the catalog's capacity
  btype_rec* type;  // the type of the latest accepted "type" line
  int index;        // its index in `config.types`
  int line;         // the number of the line being read
};

// Where a keyword may stand.
enum cfg_scope {
  ANYWHERE,    // catalog-wide: "mode", "copy", "pkg", "type"
  TYPE_BLOCK,  // a type's field, or `def` in the defaults section
  TYPE_ONLY,   // a type's field that `def` does not carry
};

using cfg_parse = void (*)(cfg_state& st, int argc, char** argv);

struct cfg_rule {
  std::int16_t code;
  bool one_arg;  // the keyword needs an argument
  cfg_scope scope;
  cfg_parse parse;
};

// Copies text into a fixed field, cut to the field's width.
template <std::size_t N>
void copy_field(char (&field)[N], const char* text) {
  std::strncpy(field, text, N - 1);
  field[N - 1] = '\0';
}

btype_rec& target(cfg_state& st) {
  return st.defaults ? def : *st.type;
}

void parse_mode(cfg_state&, int argc, char** argv) {
  for (int i = argc - 1; i >= 1; --i) {
    switch (argv[i][0]) {
      case 'p':
        config.modes |= MODE_POLL;
        break;
      case 'i':
        config.modes |= MODE_INTERRUPT;
        break;
      case 'a':
        config.modes |= MODE_POLL | MODE_INTERRUPT;
        break;
      default:
        warn(cfg_lines.warnings, cw, "invalid driver mode", argv[i]);
    }
  }
}

void parse_copy(cfg_state& st, int, char** argv) {
  copy_field(config.copy, argv[1]);
  cfg_lines.copy = st.line;
}
void parse_pkg(cfg_state& st, int, char** argv) {
  copy_field(config.pkg, argv[1]);
  copy_field(cfg_lines.pkg_text, argv[1]);
  cfg_lines.pkg = st.line;
}

void copy_list(value_list& to, const value_list& from) {
  to.count = from.count;
  for (int i = 0; i < from.count; ++i) to.values[i] = from.values[i];
}

void parse_type(cfg_state& st, int, char** argv) {
  st.defaults = false;
  if (config.ntypes >= MAX_TYPES) {
    // Both tables need their end row after the last type.
    warn(cfg_lines.warnings, cw, "too many board types", argv[1]);
    st.refused = true;
    return;
  }
  st.refused = false;
  st.index = config.ntypes++;
  st.type = &config.types[st.index];
  btype_rec& t = *st.type;
  copy_field(t.name, argv[1]);
  cfg_lines.types[st.index] = {st.line, std::strlen(argv[1]) >= sizeof t.name, 0, 0};
  t.attr = def.attr;
  t.num_waits = def.num_waits;
  t.bus = def.bus;
  copy_list(t.sizes, def.sizes);
  copy_list(t.irqs, def.irqs);
  copy_list(t.ioas_primary, def.ioas_primary);
  copy_list(t.ioas_extras, def.ioas_extras);
  btype_tags[st.index] = {t.name, static_cast<std::int16_t>(st.index)};
}

void parse_class(cfg_state& st, int argc, char** argv) {
  menu_item& row = bclass_menu[st.index];
  if (argc > 1) {
    copy_field(st.type->class_, argv[1]);
    row.show = ROW_OFFERED;
    ++config.nclasses;
  } else {
    st.type->class_[0] = '\0';
    row.show = ROW_HIDDEN;
  }
  row.label = st.type->class_;
  row.action = nullptr;
}

void parse_cp_name(cfg_state& st, int, char** argv) {
  copy_field(st.type->cp_name, argv[1]);
}

void parse_t_code(cfg_state& st, int, char** argv) {
  st.type->t_code = static_cast<std::uint16_t>(read_decimal(argv[1]));
}

void parse_num_waits(cfg_state& st, int, char** argv) {
  target(st).num_waits = static_cast<std::uint16_t>(read_decimal(argv[1]));
}

// A list line appends to `def` but replaces a type's list.
value_list& start_list(cfg_state& st, value_list btype_rec::*list) {
  value_list& l = target(st).*list;
  if (!st.defaults) l.count = 0;
  return l;
}

void add_value(value_list& l, std::int32_t value, const char* text) {
  if (l.count >= MAX_VALUES) {
    warn(cfg_lines.warnings, cw, "too many values", text);
    return;
  }
  l.values[l.count++] = value;
}

void parse_sizes(cfg_state& st, int argc, char** argv) {
  value_list& l = start_list(st, &btype_rec::sizes);
  for (int i = 1; i < argc; ++i) add_value(l, read_decimal(argv[i]), argv[i]);
}

void parse_irqs(cfg_state& st, int argc, char** argv) {
  value_list& l = start_list(st, &btype_rec::irqs);
  for (int i = 1; i < argc; ++i) {
    const std::int32_t irq = read_decimal(argv[i]);
    if (irq < 0 || irq > 15) {
      warn(cfg_lines.warnings, cw, "invalid irq", argv[i]);
    } else {
      add_value(l, irq, argv[i]);
    }
  }
}

// An I/O address list also records where its values were given: value by value for the
// defaults, which gather over lines, the whole list for a type.
void parse_hex_list(cfg_state& st, value_list btype_rec::*list,
                    std::array<int, MAX_VALUES>& def_lines, int& type_line, int argc, char** argv) {
  value_list& l = start_list(st, list);
  for (int i = 1; i < argc; ++i) {
    if (st.defaults && l.count < MAX_VALUES) def_lines[l.count] = st.line;
    add_value(l, static_cast<std::int32_t>(htol(argv[i])), argv[i]);
  }
  if (!st.defaults) type_line = st.line;
}

void parse_ioas_primary(cfg_state& st, int argc, char** argv) {
  parse_hex_list(st, &btype_rec::ioas_primary, cfg_lines.def_primary,
                 cfg_lines.types[st.index].ioas_primary, argc, argv);
}

void parse_ioas_extras(cfg_state& st, int argc, char** argv) {
  parse_hex_list(st, &btype_rec::ioas_extras, cfg_lines.def_extras,
                 cfg_lines.types[st.index].ioas_extras, argc, argv);
}

void set_attr(cfg_state& st, std::uint16_t bit, bool on) {
  std::uint16_t& attr = target(st).attr;
  attr = on ? attr | bit : attr & ~bit;
}

void parse_extended_mem(cfg_state& st, int, char** argv) {
  set_attr(st, ATTR_EXTMEM, argv[1][0] == 'y');
}

void parse_can_dce(cfg_state& st, int, char** argv) {
  set_attr(st, ATTR_DCE, argv[1][0] == 'y');
}

void parse_num_ports(cfg_state& st, int, char** argv) {
  set_attr(st, ATTR_16PORT, read_decimal(argv[1]) > 8);
}

void parse_bus(cfg_state& st, int, char** argv) {
  if (const int bus = bus_of_word(argv[1])) {
    target(st).bus = static_cast<std::uint16_t>(bus);
  } else {
    warn(cfg_lines.warnings, cw, "invalid bus type", argv[1]);
  }
}

constexpr cfg_rule cfg_rules[] = {
    {KW_MODE, false, ANYWHERE, parse_mode},
    {KW_COPY, true, ANYWHERE, parse_copy},
    {KW_PKG, true, ANYWHERE, parse_pkg},
    {KW_TYPE, true, ANYWHERE, parse_type},
    {KW_CLASS, false, TYPE_ONLY, parse_class},
    {KW_CP_NAME, true, TYPE_ONLY, parse_cp_name},
    {KW_T_CODE, true, TYPE_ONLY, parse_t_code},
    {KW_SIZES, false, TYPE_BLOCK, parse_sizes},
    {KW_IRQS, false, TYPE_BLOCK, parse_irqs},
    {KW_IOAS_PRIMARY, false, TYPE_BLOCK, parse_ioas_primary},
    {KW_IOAS_EXTRAS, false, TYPE_BLOCK, parse_ioas_extras},
    {KW_EXTENDED_MEM, true, TYPE_BLOCK, parse_extended_mem},
    {KW_CAN_DCE, true, TYPE_BLOCK, parse_can_dce},
    {KW_NUM_PORTS, true, TYPE_BLOCK, parse_num_ports},
    {KW_NUM_WAITS, true, TYPE_BLOCK, parse_num_waits},
    {KW_BUS, true, TYPE_BLOCK, parse_bus},
    {0, false, ANYWHERE, nullptr},
};

const cfg_rule* find_rule(int code) {
  const cfg_rule* r = cfg_rules;
  while (r->parse != nullptr && r->code != code) ++r;
  return r->parse != nullptr ? r : nullptr;
}

void parse_line(cfg_state& st, int argc, char** argv) {
  const cfg_rule* rule = find_rule(search(config_tags.data(), argv[0]));
  if (rule == nullptr) {
    warn(cfg_lines.warnings, cw, "unknown parameter", argv[0]);
    return;
  }
  // The block of a refused type is dropped without a word.
  if (rule->scope != ANYWHERE && st.refused) return;
  if (rule->one_arg && argc < 2) {
    warn(cfg_lines.warnings, cw, "missing value", argv[0]);
    return;
  }
  if (rule->scope == TYPE_ONLY && st.defaults) {
    warn(cfg_lines.warnings, cw, "no board type yet", argv[0]);
    return;
  }
  rule->parse(st, argc, argv);
}

void reset_config() {
  def.attr = def.num_waits = def.bus = 0;
  def.sizes.count = def.irqs.count = def.ioas_primary.count = def.ioas_extras.count = 0;
  config.ntypes = 0;
  config.modes = 0;
  config.copy[0] = '\0';
  config.pkg[0] = '\0';
}

}  // namespace

config_rec* read_config(std::FILE* in) {
  reset_config();
  cfg_lines = {};
  cfg_state st{true, false, nullptr, 0, 1};
  std::array<char*, MAX_TOKENS> argv{};
  line_reader lines(in);
  for (std::size_t n; (n = read_line(lines, buf, BUF_SIZE)) != 0;) {
    const bool ends_line = buf[n - 1] == '\n';
    const int argc = argvify(argv.data(), buf);
    if (argc > 0 && cfg_lines.first_cr == 0 && ends_in_cr(argv[argc - 1]))
      cfg_lines.first_cr = st.line;
    if (argc > 0) parse_line(st, argc, argv.data());
    if (ends_line) ++st.line;
  }
  btype_tags[config.ntypes].name = null;
  bclass_menu[config.ntypes].show = ROW_END;
  errno = lines.error;
  return lines.error == 0 ? &config : nullptr;
}

config_rec* load_config(const char* prog, const char* name) {
  const auto read = [](std::FILE* f) { return read_config(f) != nullptr; };
  return load_beside(prog, name, "load_config", read) ? &config : nullptr;
}

namespace {

void pad_to(const char* text, int width) {
  for (int n = width - static_cast<int>(std::strlen(text)); n > 0; --n) std::putchar(' ');
}

void print_decimals(const value_list& l) {
  for (int i = 0; i < l.count; ++i) std::printf(" %2d", l.values[i]);
}

void print_hexes(const value_list& l) {
  for (int i = 0; i < l.count; ++i) std::printf(" %3x", static_cast<unsigned>(l.values[i]));
}

void print_type(int i, const btype_rec& t) {
  std::printf("%d)  %s", i, t.name);
  pad_to(t.name, 16);
  std::printf("%d    %s", t.t_code, t.cp_name);
  pad_to(t.cp_name, 16);
  std::fputs(t.bus == BUS_AT ? " AT" : " MC", stdout);
  std::fputs(t.attr & ATTR_EXTMEM ? " 16 Mbyte" : "  1 Mbyte", stdout);
  print_decimals(t.sizes);
  std::putchar('\t');
  print_decimals(t.irqs);
  std::fputs("\n\t\t", stdout);
  print_hexes(t.ioas_primary);
  std::fputs(" - ", stdout);
  print_hexes(t.ioas_extras);
  std::putchar('\n');
}

}  // namespace

void print_config() {
  std::fputs("\nmode: ", stdout);
  if (config.modes & MODE_POLL) std::fputs("polling ", stdout);
  if (config.modes & MODE_INTERRUPT) std::fputs("interrupt ", stdout);
  std::printf("\ncopy: %s\n", config.copy);
  std::printf("pkg: %s\n", config.pkg);
  std::fputs("\n    type    code   cp_name          bus range    dp\n", stdout);
  for (int i = 0; i < config.ntypes; ++i) print_type(i, config.types[i]);
}
