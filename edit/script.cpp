// Changes of the parameter set given on the command line (editpar -a, -d, -e, -M): each one
// goes the way of the menus, through the same rules in the same order, and takes as its
// answers the values the call gives. Nothing is asked, and nothing is printed.
#include <charconv>
#include <cstring>
#include <string>

#include "check/check.h"
#include "edit/editor.h"
#include "edit/script.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"
#include "model/rules.h"

namespace kdz {

namespace {

// How a key's value is written on the command line.
enum key_syntax { KEY_DECIMAL, KEY_HEX, KEY_BUS_NAME };

// One key of a change: its names, how its value is written, and the question of the menus
// that it answers.
struct key_row {
  script_key_id id;
  const char* name;        // on the command line, before '='
  const char* value_name;  // in a refusal
  key_syntax syntax;       // as the question that asks it reads its answer
  int bits;                // of the board's field it fills: a value beyond them is malformed
  int mod_row;             // the row of the modify menu that asks it; -1: not a key of -e
  // A value chosen from a list of the type: the list its question shows, whether the type's
  // extra I/O addresses are accepted too, and the board's field it sets. Both null for the
  // memory address, whose question takes any address its rule passes, and for bus=.
  value_list btype_rec::*list;
  bool with_extras;
  std::uint16_t board_rec::*field;
  const char* kept;  // why -e keeps the value when the modify menu does not offer its row
};

constexpr key_row script_keys[] = {
    {KEY_SIZE, "size", "size", KEY_DECIMAL, 16, MOD_SIZE, &btype_rec::sizes, false,
     &board_rec::size, "its type offers one size"},
    {KEY_IRQ, "irq", "irq", KEY_DECIMAL, 16, MOD_IRQ, &btype_rec::irqs, false, &board_rec::irq,
     "irqs are changed in interrupt mode only"},
    {KEY_IOA, "ioa", "I/O address", KEY_HEX, 16, MOD_IOA, &btype_rec::ioas_primary, true,
     &board_rec::ioa, "an EISA board's I/O address is not changed"},
    {KEY_DPA, "dpa", "memory address", KEY_HEX, 32, MOD_DPA, nullptr, false, nullptr, nullptr},
    {KEY_BUS, "bus", "bus", KEY_BUS_NAME, 0, -1, nullptr, false, nullptr, nullptr},
    {KEY_COUNT, nullptr, nullptr, KEY_DECIMAL, 0, -1, nullptr, false, nullptr, nullptr},
};

constexpr bool rows_in_key_order() {
  int k = 0;
  for (const key_row& row : script_keys) {
    if (row.id != k++) return false;
  }
  return k == KEY_COUNT + 1 && script_keys[KEY_COUNT].name == nullptr;
}
static_assert(rows_in_key_order(), "script_keys is indexed by script_key_id");

bool is_hex(const key_row& row) {
  return row.syntax == KEY_HEX;
}

// A value of the key as a refusal shows it: as the call writes it.
std::string value_text(const key_row& row, std::int32_t value) {
  if (is_hex(row)) return fmt::format("{:x}", static_cast<std::uint32_t>(value));
  return fmt::format("{}", value);
}

int key_index(std::string_view name) {
  for (int k = 0; script_keys[k].name != nullptr; ++k) {
    if (name == script_keys[k].name) return k;
  }
  return -1;
}

bool is_decimal(const char* text) {
  const char* digits = text[0] == '-' || text[0] == '+' ? text + 1 : text;
  return digits[0] != '\0' && std::strspn(digits, "0123456789") == std::strlen(digits);
}

bool is_hexadecimal(const char* text) {
  return text[0] != '\0' && std::strspn(text, "0123456789abcdefABCDEF") == std::strlen(text);
}

constexpr int BOARD_BITS = 31;  // a board number is an int of the editor

// The number `text`, digits of `base` (10 with a sign or none), when it fits in `bits` bits
// unsigned: the field it goes to then holds it unchanged, as typed.
bool fitting_number(std::string_view text, int base, int bits, std::uint32_t& value) {
  const bool minus = text.starts_with('-');
  if (minus || text.starts_with('+')) text.remove_prefix(1);
  std::uint64_t n = 0;
  const char* end = text.data() + text.size();
  const auto read = std::from_chars(text.data(), end, n, base);
  if (read.ec != std::errc{} || read.ptr != end) return false;  // too many digits for 64 bits
  if ((minus && n != 0) || n >= (std::uint64_t{1} << bits)) return false;
  value = static_cast<std::uint32_t>(n);
  return true;
}

// Fills `why` and returns false: the way every refusal ends.
template <typename... T>
bool refuse(std::string& why, fmt::format_string<T...> format, T&&... args) {
  why = fmt::format(format, std::forward<T>(args)...);
  if (why.size() > MAX_WHY) why.resize(MAX_WHY);
  return false;
}

// The refusal of a number that does not fit in `bits` bits; `word` as typed.
bool refuse_unfitting(std::string& why, const char* word, int bits, bool hex) {
  const std::uint64_t most = (std::uint64_t{1} << bits) - 1;
  if (hex) return refuse(why, "{}: does not fit in {} bits (0 to {:x})", word, bits, most);
  return refuse(why, "{}: does not fit in {} bits (0 to {})", word, bits, most);
}

// The value of `key` when the change gives it.
const script_key* given(const script_change& c, int key) {
  for (int i = 0; i < c.nkeys; ++i) {
    if (c.keys[i].key == key) return &c.keys[i];
  }
  return nullptr;
}

// One question of the menus about a value out of the type's list for `row`: it asks only
// when the list holds two values or more, and then needs the call's value `k`; otherwise
// the call may give only what the question gives without asking.
bool answer_list(const script_key* k, const key_row& row, const btype_rec& type,
                 std::int32_t& value, std::string& why) {
  const value_list& list = type.*row.list;
  const value_list accepted = row.with_extras ? ioa_choices(&list, &type.ioas_extras) : list;
  const bool hex = is_hex(row);
  if (!list_asks(list)) {
    value = unasked(list);
    // The board's field keeps the low 16 bits of the value the question takes unasked.
    const std::int32_t stored = static_cast<std::uint16_t>(value);
    if (k == nullptr || k->value == stored) return true;
    const std::string shown = value_text(row, k->value);
    if (list.count == 0) {
      return refuse(why, "{} {} is not offered by type {} (it has none: 0)", row.value_name, shown,
                    type.name);
    }
    return refuse(why, "{} {} is not offered by type {} ({} only{})", row.value_name, shown,
                  type.name, list_text(list, hex),
                  stored == value ? "" : ": it gets " + value_text(row, stored));
  }
  if (k == nullptr) {
    return refuse(why, "{}= is needed: type {} offers {}", row.name, type.name,
                  list_text(accepted, hex));
  }
  if (list_index(&accepted, k->value) < 0) {
    return refuse(why, "{} {} is not offered by type {} ({})", row.value_name,
                  value_text(row, k->value), type.name, list_text(accepted, hex));
  }
  value = k->value;
  return true;
}

// answer_list, the answer stored in the board's field for `row`.
bool answer_field(const script_key* k, const key_row& row, const btype_rec& type, board_rec& b,
                  std::string& why) {
  std::int32_t value = 0;
  if (!answer_list(k, row, type, value, why)) return false;
  b.*row.field = static_cast<std::uint16_t>(value);
  return true;
}

// The memory address question: asked every time, and answered by a value that passes
// dp_addr_fault for the type and the size stored so far.
bool answer_dpa(const script_key* k, const btype_rec& type, int size, std::uint32_t& dpa,
                std::string& why) {
  const key_row& row = script_keys[KEY_DPA];
  if (k == nullptr) {
    return refuse(why, "{}= is needed: a memory address for {} Kbytes of type {}", row.name, size,
                  type.name);
  }
  const auto addr = static_cast<std::uint32_t>(k->value);
  switch (dp_addr_fault(addr, type.attr, size)) {
    case DP_OK:
      dpa = addr;
      return true;
    case DP_ABOVE_1MB:
      return refuse(why, "{} {:x} is not below 1 Mbyte: type {} has no extended memory",
                    row.value_name, addr, type.name);
    case DP_OFF_BOUNDARY:
      return refuse(why, "{} {:x} is not on a {} Kbyte boundary", row.value_name, addr, size);
  }
  return false;
}

// A value that no question of the menus asks for: the call may give only what the board
// has, or gets, without one (`now`). `how` says which: "stays" or "gets".
bool answer_kept(const script_key* k, const key_row& row, std::int32_t now, const char* why_kept,
                 const char* how, std::string& why) {
  if (k == nullptr || k->value == now) return true;
  return refuse(why, "{} {}: {} (it {} {})", row.value_name, value_text(row, k->value), why_kept,
                how, value_text(row, now));
}

// Whether the class menu of add_board offers type `t` for the next board.
bool type_offered(editor& ed, const script_change& c, int t, std::string& why) {
  std::array<int, MAX_SHOWN> types{};
  const int offered = offered_types(ed, types);
  std::string names;
  bool found = false;
  for (int i = 0; i < offered; ++i) {
    found = found || types[i] == t;
    names += (i > 0 ? ", " : "") + std::string(ed.cat.config.types[types[i]].name);
  }
  if (found) return true;
  const int bus = ed.set.params.bus;
  if (bus != 0 && !type_on_bus(&ed.cat.config.types[t], bus)) {
    return refuse(why, "type {} is not offered on this par's {} bus ({})", c.type,
                  bus == BUS_AT ? "AT" : "MC", offered > 0 ? names : "no type is");
  }
  return refuse(why, "type {} is not offered for board {} ({})", c.type, ed.set.params.nboards + 1,
                offered > 0 ? names : "no type is");
}

// The size question of add_board, whose answer the MC size rule replaces: the call may then
// leave size= out, or give the size the board gets.
bool answer_new_size(const script_key* k, const btype_rec& type, board_rec& b, std::string& why) {
  const key_row& row = script_keys[KEY_SIZE];
  const std::uint16_t forced = forced_size(type.bus, b.ioa);
  if (forced == 0) return answer_field(k, row, type, b, why);
  b.size = forced;
  return answer_kept(k, row, forced, "a board with an I/O address on the MC bus has a fixed size",
                     "gets", why);
}

// The answers to add_board's questions about a board of type `t`, in its order.
bool answer_new_board(const editor& ed, const script_change& c, int t, board_rec& b,
                      std::string& why) {
  const btype_rec& type = ed.cat.config.types[t];
  b = {static_cast<std::uint16_t>(t), 0, 0, 0, 0};
  if (!answer_field(given(c, KEY_IOA), script_keys[KEY_IOA], type, b, why)) return false;
  if (!answer_new_size(given(c, KEY_SIZE), type, b, why)) return false;
  if (!answer_dpa(given(c, KEY_DPA), type, b.size, b.dpa, why)) return false;
  if (ed.set.params.mode == MODE_INTERRUPT) {
    return answer_field(given(c, KEY_IRQ), script_keys[KEY_IRQ], type, b, why);
  }
  return answer_kept(given(c, KEY_IRQ), script_keys[KEY_IRQ], 0,
                     "a board added outside interrupt mode has none", "gets", why);
}

// The names of the catalog's types, in its order, for a refusal to name what would do.
std::string catalog_types(const catalog& cat) {
  std::string names;
  for (int t = 0; t < cat.config.ntypes; ++t) {
    names += (t > 0 ? ", " : "") + std::string(cat.config.types[t].name);
  }
  return cat.config.ntypes > 0 ? names : "it has none";
}

bool add_change(editor& ed, const script_change& c, std::string& why) {
  params_rec& set = ed.set.params;
  if (too_many_boards(set.nboards + 1)) {
    return refuse(why, "board {} cannot be added: the editor adds at most {} boards",
                  set.nboards + 1, EDIT_MAX_BOARDS);
  }
  const int t = find_type(ed.cat, c.type);
  if (t < 0)
    return refuse(why, "type {} is not in the catalog ({})", c.type, catalog_types(ed.cat));
  if (!type_offered(ed, c, t, why)) return false;
  board_rec b{};
  if (!answer_new_board(ed, c, t, b, why)) return false;
  set.bus = static_cast<std::uint8_t>(ed.cat.config.types[t].bus);
  set.boards[set.nboards++] = b;
  return true;
}

bool board_exists(const params_rec& set, int number, std::string& why) {
  if (number >= 1 && number <= set.nboards) return true;
  if (set.nboards == 0) return refuse(why, "there is no board {}: the set has no boards", number);
  return refuse(why, "there is no board {}: the set has {} board{}", number, set.nboards,
                set.nboards == 1 ? "" : "s");
}

// One key of -e as the row of the modify menu that asks it.
bool modify_key(const editor& ed, const script_key& k, const btype_rec& type, board_rec& b,
                std::string& why) {
  const key_row& row = script_keys[k.key];
  if (row.mod_row < 0) return refuse(why, "{}= is not a key of -e", row.name);
  if (row.field == nullptr) return answer_dpa(&k, type, b.size, b.dpa, why);
  if (ed.mod_menu[row.mod_row].show != ROW_OFFERED) {
    return answer_kept(&k, row, b.*row.field, row.kept, "stays", why);
  }
  return answer_field(&k, row, type, b, why);
}

// Each key in the order the call gives them, as one row of the modify menu chosen.
bool modify_change(editor& ed, const script_change& c, std::string& why) {
  if (nothing_to_modify(ed.set.params)) {
    return refuse(why, "there are no parameters to modify: the set is polled on the mc bus");
  }
  if (!board_exists(ed.set.params, c.board, why)) return false;
  board_rec& b = ed.set.params.boards[c.board - 1];
  const btype_rec& type = ed.cat.config.types[b.type];
  flag_mod_rows(ed, type);
  for (int i = 0; i < c.nkeys; ++i) {
    if (!modify_key(ed, c.keys[i], type, b, why)) return false;
  }
  return true;
}

bool delete_change(board_set& set, const script_change& c, std::string& why) {
  if (!board_exists(set.params, c.board, why)) return false;
  remove_board(set, c.board);
  return true;
}

// The irq that switching to interrupt mode asks of board `n`: from the first later change
// "-e n+1 irq=V" before any change that adds or removes a board.
const script_key* later_irq(const script& s, int at, int n) {
  for (int i = at + 1; i < s.nchanges; ++i) {
    const script_change& c = s.changes[i];
    if (c.op != 'e') break;
    if (c.board != n + 1) continue;
    if (const script_key* k = given(c, KEY_IRQ)) return k;
  }
  return nullptr;
}

// As switch_mode: each board without an irq is asked for one, answered by later_irq.
bool ask_missing_irqs(const editor& ed, const script& s, int at,
                      std::array<std::uint16_t, MAX_BOARDS>& irqs, std::string& why) {
  const params_rec& set = ed.set.params;
  for (int n = 0; n < set.nboards; ++n) {
    const board_rec& b = set.boards[n];
    irqs[n] = b.irq;
    if (b.irq != 0) continue;
    std::int32_t value = 0;
    const btype_rec& type = ed.cat.config.types[b.type];
    if (!answer_list(later_irq(s, at, n), script_keys[KEY_IRQ], type, value, why)) {
      const std::string asked = why;
      return refuse(
          why, "switching to interrupt asks board {}'s irq: {}; give it with -e {} irq=N after -M",
          n + 1, asked, n + 1);
    }
    irqs[n] = static_cast<std::uint16_t>(value);
  }
  return true;
}

const char* modes_allowed(int modes) {
  if (mode_allowed(MODE_INTERRUPT, modes)) return "interrupt only";
  return mode_allowed(MODE_POLL, modes) ? "polling only" : "no mode";
}

bool mode_change(editor& ed, const script& s, int at, std::string& why) {
  params_rec& set = ed.set.params;
  const int modes = ed.cat.config.modes;
  const int mode = s.changes[at].mode;
  if (set.mode == mode && mode_allowed(mode, modes)) return true;
  if (!mode_can_change(modes)) {
    return refuse(why, "mode {} cannot be chosen: the catalog allows {}",
                  mode == MODE_POLL ? "polling" : "interrupt", modes_allowed(modes));
  }
  if (mode == MODE_POLL) {
    set.mode = MODE_POLL;
    return true;
  }
  std::array<std::uint16_t, MAX_BOARDS> irqs{};
  if (!ask_missing_irqs(ed, s, at, irqs, why)) return false;
  set.mode = MODE_INTERRUPT;
  for (int n = 0; n < set.nboards; ++n) set.boards[n].irq = irqs[n];
  return true;
}

bool apply_change(editor& ed, const script& s, int at, bool fresh, std::string& why) {
  const script_change& c = s.changes[at];
  if (given(c, KEY_BUS) != nullptr && !(fresh && at == 0)) {
    const int bus = ed.set.params.bus;
    return refuse(why, "bus= starts a new par only: this one's bus is {}",
                  bus == BUS_AT   ? "at"
                  : bus == BUS_MC ? "mc"
                                  : "not set");
  }
  switch (c.op) {
    case 'a':
      return add_change(ed, c, why);
    case 'd':
      return delete_change(ed.set, c, why);
    case 'e':
      return modify_change(ed, c, why);
    default:
      return mode_change(ed, s, at, why);
  }
}

// What quitting the menus requires.
bool quit_rules(const editor& ed, std::string& why) {
  const params_rec& set = ed.set.params;
  int pair[2] = {-1, -1};
  switch (irq_rule_broken(ed.cat, &set, pair)) {
    case IRQ_OK:
      return true;
    case IRQ_EISA_SHARED:
      return refuse(why,
                    "board {}'s irq {} is also board {}'s: EISA and ISA boards cannot share an irq",
                    pair[1] + 1, set.boards[pair[1]].irq, pair[0] + 1);
    case IRQ_MIXED:
      return refuse(
          why, "board {}'s irq {} is also board {}'s: irqs must be all the same or all different",
          pair[1] + 1, set.boards[pair[1]].irq, pair[0] + 1);
  }
  return false;
}

// Reads the word after '=' of `word` as the value of k.key.
bool parse_value(script_key& k, const char* word, const char* text, std::string& why) {
  switch (script_keys[k.key].syntax) {
    case KEY_BUS_NAME:
      if (std::strcmp(text, "at") != 0 && std::strcmp(text, "mc") != 0)
        return refuse(why, "{}: the bus is at or mc", word);
      k.text = text;
      return true;
    case KEY_HEX:
      if (!is_hexadecimal(text)) return refuse(why, "{}: not a hexadecimal number (no 0x)", word);
      break;
    case KEY_DECIMAL:
      if (!is_decimal(text)) return refuse(why, "{}: not a decimal number", word);
      break;
  }
  const key_row& row = script_keys[k.key];
  std::uint32_t value = 0;
  if (!fitting_number(text, is_hex(row) ? 16 : 10, row.bits, value)) {
    return refuse_unfitting(why, word, row.bits, is_hex(row));
  }
  k.value = static_cast<std::int32_t>(value);
  return true;
}

// Whether change `op` takes the key of `row`: -a every key, -e those the modify menu asks.
bool takes_key(char op, const key_row& row) {
  return op == 'a' || (op == 'e' && row.mod_row >= 0);
}

// One "key=VALUE" word of change `c`.
bool parse_key(script_change& c, const char* word, std::string& why) {
  const char* eq = std::strchr(word, '=');
  const int key = eq != nullptr ? key_index(std::string_view(word, eq - word)) : -1;
  if (key < 0 || !takes_key(c.op, script_keys[key])) {
    return refuse(why, "{}: not a key of -{}", word, c.op);
  }
  if (given(c, key) != nullptr)
    return refuse(why, "{}: {}= given twice", word, script_keys[key].name);
  script_key& k = c.keys[c.nkeys++];
  k.key = key;
  return parse_value(k, word, eq + 1, why);
}

// The board number of -d or -e: digits that fit in 31 bits, which board_exists then judges.
bool parse_board_number(script_change& c, const char* arg, std::string& why) {
  if (!is_decimal(arg) || arg[0] == '-' || arg[0] == '+')
    return refuse(why, "-{} {}: not a board number", c.op, arg);
  std::uint32_t number = 0;
  if (!fitting_number(arg, 10, BOARD_BITS, number)) {
    return refuse_unfitting(why, fmt::format("-{} {}", c.op, arg).c_str(), BOARD_BITS, false);
  }
  c.board = static_cast<int>(number);
  return true;
}

// The word after the change's option: a type, a mode, or a board number; null for none.
bool parse_argument(script_change& c, const char* arg, std::string& why) {
  if (arg == nullptr) {
    return refuse(why, "-{} needs {}", c.op,
                  c.op == 'a'   ? "a type"
                  : c.op == 'M' ? "interrupt or polling"
                                : "a board number");
  }
  switch (c.op) {
    case 'a':
      c.type = arg;
      return true;
    case 'M':
      if (std::strcmp(arg, "interrupt") != 0 && std::strcmp(arg, "polling") != 0)
        return refuse(why, "-M {}: the mode is interrupt or polling", arg);
      c.mode = arg[0] == 'i' ? MODE_INTERRUPT : MODE_POLL;
      return true;
    default:
      return parse_board_number(c, arg, why);
  }
}

// One change from argv[i] on: its option, its argument, its keys; `i` moves past them.
bool parse_change(script& s, int argc, char** argv, int& i, std::string& why) {
  const char* word = argv[i++];
  if (s.nchanges == MAX_CHANGES)
    return refuse(why, "more than {} changes in one call", MAX_CHANGES);
  script_change& c = s.changes[s.nchanges++];
  const std::string_view op = word;
  if (op.size() != 2 || op[0] != '-' || std::strchr("adeM", op[1]) == nullptr) {
    return refuse(why, "{}: not a change (-a, -d, -e or -M)", word);
  }
  c.op = op[1];
  const char* arg = i < argc && argv[i][0] != '-' ? argv[i++] : nullptr;
  if (!parse_argument(c, arg, why)) return false;
  for (; i < argc && argv[i][0] != '-'; ++i) {
    if (!parse_key(c, argv[i], why)) return false;
  }
  if (c.op == 'e' && c.nkeys == 0) return refuse(why, "-e {} needs a key to change", c.board);
  return true;
}

}  // namespace

bool parse_script(int argc, char** argv, script& s, std::string& why) {
  s = {};
  for (int i = 1; i < argc;) {
    if (!parse_change(s, argc, argv, i, why)) return false;
  }
  return s.nchanges > 0 || refuse(why, "no change");
}

bool apply_script(editor& ed, const script& s, bool fresh, std::string& why) {
  for (int i = 0; i < s.nchanges; ++i) {
    if (!apply_change(ed, s, i, fresh, why)) return false;
  }
  return quit_rules(ed, why);
}

board_set start_script_set(const script& s) {
  const script_key* bus = given(s.changes[0], KEY_BUS);
  char program[] = "editpar";
  char word[3] = {};
  char* argv[] = {program, word, nullptr};
  if (bus != nullptr) fmt::format_to_n(word, sizeof word - 1, "{}", bus->text);
  return init_params(bus != nullptr ? 2 : 1, argv);
}

void set_mode_unasked(editor& ed) {
  const int modes = ed.cat.config.modes;
  ed.set.params.mode = static_cast<std::uint8_t>(mode_can_change(modes) ? MODE_INTERRUPT : modes);
}

}  // namespace kdz
