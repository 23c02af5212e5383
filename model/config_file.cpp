// The board catalog "cfg": its reader, which fills a catalog, its type-name table, and its
// listing.
#include <cerrno>
#include <cstring>
#include <iterator>

#include <fmt/format.h>

#include "base/files.h"
#include "base/lines.h"
#include "model/catalog.h"
#include "model/keyword_file.h"
#include "model/records.h"

namespace kdz {

namespace {

// What the reader keeps while it goes through the file.
struct cfg_state {
  catalog& cat;
  warning_list& warnings;
  bool defaults = true;  // still before the first "type" line
  bool refused = false;  // in the block of a type beyond the catalog's capacity
  int index = 0;         // the index of the latest accepted type
};

// Where a keyword may stand.
enum cfg_scope {
  ANYWHERE,    // catalog-wide: "mode", "copy", "pkg", "type"
  TYPE_BLOCK,  // a type's field, or `def` in the defaults section
  TYPE_ONLY,   // a type's field that `def` does not carry
};

void cfg_warn(cfg_state& st, const keyword_line& line, const char* problem, const char* word) {
  warn(st.warnings, IN_CFG, line.number, cw, problem, word);
}

btype_rec& latest_type(cfg_state& st) {
  return st.cat.config.types[st.index];
}

// The record a field line fills: `def` before the first type, else the latest type.
btype_rec& target(cfg_state& st) {
  return st.defaults ? st.cat.def : latest_type(st);
}

void parse_mode(cfg_state& st, const keyword_line& line) {
  std::uint8_t& modes = st.cat.config.modes;
  for (int i = line.argc - 1; i >= 1; --i) {
    switch (line.argv[i][0]) {
      case 'p':
        modes |= MODE_POLL;
        break;
      case 'i':
        modes |= MODE_INTERRUPT;
        break;
      case 'a':
        modes |= MODE_POLL | MODE_INTERRUPT;
        break;
      default:
        cfg_warn(st, line, "invalid driver mode", line.argv[i]);
    }
  }
}

void parse_copy(cfg_state& st, const keyword_line& line) {
  copy_field(st.cat.config.copy, line.argv[1]);
  st.cat.lines.copy = line.number;
}

void parse_pkg(cfg_state& st, const keyword_line& line) {
  copy_field(st.cat.config.pkg, line.argv[1]);
  copy_field(st.cat.lines.pkg_text, line.argv[1]);
  st.cat.lines.pkg = line.number;
}

// A new type starts with the defaults given so far.
void inherit_defaults(btype_rec& t, const btype_rec& def) {
  t.attr = def.attr;
  t.num_waits = def.num_waits;
  t.bus = def.bus;
  t.sizes = def.sizes;
  t.irqs = def.irqs;
  t.ioas_primary = def.ioas_primary;
  t.ioas_extras = def.ioas_extras;
}

void parse_type(cfg_state& st, const keyword_line& line) {
  st.defaults = false;
  config_rec& config = st.cat.config;
  // Both tables by type need their end row after the last type.
  st.refused = config.ntypes >= MAX_TYPES;
  if (st.refused) {
    cfg_warn(st, line, "too many board types", line.argv[1]);
    return;
  }
  st.index = config.ntypes++;
  btype_rec& t = latest_type(st);
  copy_field(t.name, line.argv[1]);
  st.cat.lines.types[st.index] = {line.number, std::strlen(line.argv[1]) >= sizeof t.name, 0, 0};
  inherit_defaults(t, st.cat.def);
}

void parse_class(cfg_state& st, const keyword_line& line) {
  btype_rec& t = latest_type(st);
  if (line.argc > 1) {
    copy_field(t.class_, line.argv[1]);
    st.cat.class_rows[st.index] = ROW_OFFERED;
    ++st.cat.config.nclasses;
  } else {
    t.class_[0] = '\0';
    st.cat.class_rows[st.index] = ROW_HIDDEN;
  }
}

void parse_cp_name(cfg_state& st, const keyword_line& line) {
  copy_field(latest_type(st).cp_name, line.argv[1]);
}

void parse_t_code(cfg_state& st, const keyword_line& line) {
  latest_type(st).t_code = static_cast<std::uint16_t>(read_decimal(line.argv[1]));
}

void parse_num_waits(cfg_state& st, const keyword_line& line) {
  target(st).num_waits = static_cast<std::uint16_t>(read_decimal(line.argv[1]));
}

// A list line appends to `def` but replaces a type's list.
value_list& start_list(cfg_state& st, value_list btype_rec::*list) {
  value_list& l = target(st).*list;
  if (!st.defaults) l.count = 0;
  return l;
}

void add_value(cfg_state& st, const keyword_line& line, value_list& l, std::int32_t value,
               const char* text) {
  if (l.count >= MAX_VALUES) {
    cfg_warn(st, line, "too many values", text);
  } else {
    l.values[l.count++] = value;
  }
}

void parse_sizes(cfg_state& st, const keyword_line& line) {
  value_list& l = start_list(st, &btype_rec::sizes);
  for (int i = 1; i < line.argc; ++i)
    add_value(st, line, l, read_decimal(line.argv[i]), line.argv[i]);
}

void parse_irqs(cfg_state& st, const keyword_line& line) {
  value_list& l = start_list(st, &btype_rec::irqs);
  for (int i = 1; i < line.argc; ++i) {
    const std::int32_t irq = read_decimal(line.argv[i]);
    if (irq < 0 || irq > 15) {
      cfg_warn(st, line, "invalid irq", line.argv[i]);
    } else {
      add_value(st, line, l, irq, line.argv[i]);
    }
  }
}

// An I/O address list also records where its values were given: value by value for the
// defaults, which gather over lines, the whole list for a type.
void parse_hex_list(cfg_state& st, const keyword_line& line, value_list btype_rec::*list,
                    std::array<int, MAX_VALUES>& def_lines, int cfg_where::type_where::*type_line) {
  value_list& l = start_list(st, list);
  for (int i = 1; i < line.argc; ++i) {
    if (st.defaults && l.count < MAX_VALUES) def_lines[l.count] = line.number;
    add_value(st, line, l, static_cast<std::int32_t>(htol(line.argv[i])), line.argv[i]);
  }
  if (!st.defaults) st.cat.lines.types[st.index].*type_line = line.number;
}

void parse_ioas_primary(cfg_state& st, const keyword_line& line) {
  parse_hex_list(st, line, &btype_rec::ioas_primary, st.cat.lines.def_primary,
                 &cfg_where::type_where::ioas_primary);
}

void parse_ioas_extras(cfg_state& st, const keyword_line& line) {
  parse_hex_list(st, line, &btype_rec::ioas_extras, st.cat.lines.def_extras,
                 &cfg_where::type_where::ioas_extras);
}

void set_attr(cfg_state& st, std::uint16_t bit, bool on) {
  std::uint16_t& attr = target(st).attr;
  attr = on ? attr | bit : attr & ~bit;
}

void parse_extended_mem(cfg_state& st, const keyword_line& line) {
  set_attr(st, ATTR_EXTMEM, line.argv[1][0] == 'y');
}

void parse_can_dce(cfg_state& st, const keyword_line& line) {
  set_attr(st, ATTR_DCE, line.argv[1][0] == 'y');
}

void parse_num_ports(cfg_state& st, const keyword_line& line) {
  set_attr(st, ATTR_16PORT, read_decimal(line.argv[1]) > 8);
}

void parse_bus(cfg_state& st, const keyword_line& line) {
  if (const int bus = bus_of_word(line.argv[1])) {
    target(st).bus = static_cast<std::uint16_t>(bus);
  } else {
    cfg_warn(st, line, "invalid bus type", line.argv[1]);
  }
}

constexpr keyword_rule<cfg_state> cfg_rules[] = {
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

// The block of a refused type is dropped without a word.
bool in_refused_block(const cfg_state& st, int place) {
  return place != ANYWHERE && st.refused;
}

const char* misplaced(const cfg_state& st, int place) {
  return place == TYPE_ONLY && st.defaults ? "no board type yet" : nullptr;
}

constexpr keyword_grammar<cfg_state> cfg_grammar = {
    config_tags.data(), cfg_rules, rule_index(cfg_rules), IN_CFG, cw, in_refused_block, misplaced,
};

}  // namespace

bool read_config(std::FILE* in, catalog& cat, warning_list& warnings) {
  // Empty, every class row starts as ROW_END: the row after the last type stays so.
  cat = {};
  cfg_state st{cat, warnings};
  return read_keyword_file(in, cfg_grammar, st, warnings, cat.lines.first_cr);
}

error load_config(const program_files& at, const char* name, catalog& cat, warning_list& warnings) {
  const auto read = [&](std::FILE* f) { return read_config(f, cat, warnings); };
  return load_beside(at, name, "load_config", read);
}

std::array<tag_entry, TYPE_ROWS> type_tags(const catalog& cat) {
  std::array<tag_entry, TYPE_ROWS> tags{};
  const int n = cat.config.ntypes;
  for (int i = 0; i < n; ++i) tags[i] = {cat.config.types[i].name, static_cast<std::int16_t>(i)};
  tags[n] = {null, 0};
  return tags;
}

int find_type(const catalog& cat, const char* name) {
  return search(type_tags(cat).data(), name);
}

namespace {

using text_buffer = fmt::memory_buffer;

// `text`, then blanks up to `width` bytes.
void put_padded(text_buffer& out, const char* text, int width) {
  fmt::format_to(std::back_inserter(out), "{}", text);
  for (int n = width - static_cast<int>(std::strlen(text)); n > 0; --n) out.push_back(' ');
}

void put_decimals(text_buffer& out, const value_list& l) {
  for (int i = 0; i < l.count; ++i) fmt::format_to(std::back_inserter(out), " {:2}", l.values[i]);
}

void put_hexes(text_buffer& out, const value_list& l) {
  for (int i = 0; i < l.count; ++i)
    fmt::format_to(std::back_inserter(out), " {:3x}", static_cast<std::uint32_t>(l.values[i]));
}

void put_type(text_buffer& out, int i, const btype_rec& t) {
  fmt::format_to(std::back_inserter(out), "{})  ", i);
  put_padded(out, t.name, 16);
  fmt::format_to(std::back_inserter(out), "{}    ", t.t_code);
  put_padded(out, t.cp_name, 16);
  fmt::format_to(std::back_inserter(out), "{}{}", t.bus == BUS_AT ? " AT" : " MC",
                 t.attr & ATTR_EXTMEM ? " 16 Mbyte" : "  1 Mbyte");
  put_decimals(out, t.sizes);
  out.push_back('\t');
  put_decimals(out, t.irqs);
  fmt::format_to(std::back_inserter(out), "\n\t\t");
  put_hexes(out, t.ioas_primary);
  fmt::format_to(std::back_inserter(out), " - ");
  put_hexes(out, t.ioas_extras);
  out.push_back('\n');
}

}  // namespace

void print_config(const catalog& cat) {
  const config_rec& config = cat.config;
  text_buffer out;
  fmt::format_to(std::back_inserter(out), "\nmode: {}{}\ncopy: {}\npkg: {}\n",
                 config.modes & MODE_POLL ? "polling " : "",
                 config.modes & MODE_INTERRUPT ? "interrupt " : "", config.copy, config.pkg);
  fmt::format_to(std::back_inserter(out),
                 "\n    type    code   cp_name          bus range    dp\n");
  for (int i = 0; i < config.ntypes; ++i) put_type(out, i, config.types[i]);
  write_text(stdout, {out.data(), out.size()});
}

}  // namespace kdz
