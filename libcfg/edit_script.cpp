// Changes of the parameter set given on the command line (editpar -a, -d, -e, -M): each one
// goes the way of the menus, through the same rules in the same order, and takes as its
// answers the values the call gives. Nothing is asked, and nothing is printed.
#include <cstdarg>
#include <cstring>
#include <string>

#include "libcfg/editor.h"

namespace {

// The name of each key on the command line, and of its value in a refusal.
constexpr const char* key_names[] = {"size", "irq", "ioa", "dpa", "bus"};
constexpr const char* value_names[] = {"size", "irq", "I/O address", "memory address", "bus"};

int key_index(std::string_view name) {
  for (int k = 0; k < KEY_COUNT; ++k) {
    if (name == key_names[k]) return k;
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

// Fills `why` as printf would, and returns false: the way every refusal ends.
__attribute__((format(printf, 2, 3))) bool refuse(std::string& why, const char* format, ...) {
  char text[512];
  std::va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  why = text;
  return false;
}

// The value of `key` when the change gives it.
const script_key* given(const script_change& c, int key) {
  for (int i = 0; i < c.nkeys; ++i) {
    if (c.keys[i].key == key) return &c.keys[i];
  }
  return nullptr;
}

// One question of the menus about a value out of `list` (the accepted answers `accepted`):
// it asks only when `list` holds two values or more, and then needs the call's value;
// otherwise the call may give only what the question gives without asking.
bool answer_list(const script_change& c, int key, const value_list& list,
                 const value_list& accepted, const btype_rec& type, std::int32_t& value,
                 std::string& why) {
  const bool hex = key == KEY_IOA;
  const script_key* k = given(c, key);
  char shown[16];
  if (k != nullptr) std::snprintf(shown, sizeof shown, hex ? "%x" : "%d", k->value);
  if (!list_asks(list)) {
    value = unasked(list);
    if (k == nullptr || k->value == value) return true;
    if (list.count == 0) {
      return refuse(why, "%s %s is not offered by type %s (it has none: 0)", value_names[key],
                    shown, type.name);
    }
    return refuse(why, "%s %s is not offered by type %s (%s only)", value_names[key], shown,
                  type.name, list_text(list, hex).c_str());
  }
  if (k == nullptr) {
    return refuse(why, "%s= is needed: type %s offers %s", key_names[key], type.name,
                  list_text(accepted, hex).c_str());
  }
  if (list_index(&accepted, k->value) < 0) {
    return refuse(why, "%s %s is not offered by type %s (%s)", value_names[key], shown, type.name,
                  list_text(accepted, hex).c_str());
  }
  value = k->value;
  return true;
}

// The memory address question: asked every time, and answered by a value that passes
// dp_addr_fault for the type and the size stored so far.
bool answer_dpa(const script_change& c, const btype_rec& type, int size, std::uint32_t& dpa,
                std::string& why) {
  const script_key* k = given(c, KEY_DPA);
  if (k == nullptr) {
    return refuse(why, "dpa= is needed: a memory address for %d Kbytes of type %s", size,
                  type.name);
  }
  const auto addr = static_cast<std::uint32_t>(k->value);
  switch (dp_addr_fault(addr, type.attr, size)) {
    case DP_OK:
      dpa = addr;
      return true;
    case DP_ABOVE_1MB:
      return refuse(why, "memory address %x is not below 1 Mbyte: type %s has no extended memory",
                    addr, type.name);
    case DP_OFF_BOUNDARY:
      return refuse(why, "memory address %x is not on a %d Kbyte boundary", addr, size);
  }
  return false;
}

// A value that no question of the menus asks for: the call may give only what the board
// has, or gets, without one (`now`). `how` says which: "stays" or "gets".
bool answer_kept(const script_change& c, int key, std::int32_t now, const char* why_kept,
                 const char* how, std::string& why) {
  const script_key* k = given(c, key);
  if (k == nullptr || k->value == now) return true;
  return refuse(why, key == KEY_IOA ? "%s %x: %s (it %s %x)" : "%s %d: %s (it %s %d)",
                value_names[key], k->value, why_kept, how, now);
}

bool add(const script_change& c, std::string& why) {
  if (too_many_boards(params.nboards + 1)) {
    return refuse(why, "board %d cannot be added: the editor adds at most %d boards",
                  params.nboards + 1, EDIT_MAX_BOARDS);
  }
  const int t = search(btype_tags.data(), c.type);
  if (t < 0) return refuse(why, "type %s is not in the catalog", c.type);
  std::array<int, MAX_SHOWN> types{};
  const int offered = offered_types(types);
  std::string names;
  bool found = false;
  for (int i = 0; i < offered; ++i) {
    found = found || types[i] == t;
    names += (i > 0 ? ", " : "") + std::string(config.types[types[i]].name);
  }
  if (!found) {
    return refuse(why, "type %s is not offered for board %d (%s)", c.type, params.nboards + 1,
                  offered > 0 ? names.c_str() : "no type is");
  }
  const btype_rec& type = config.types[t];
  board_rec b{static_cast<std::uint16_t>(t), 0, 0, 0, 0};
  std::int32_t value = 0;
  const value_list choices = ioa_choices(&type.ioas_primary, &type.ioas_extras);
  if (!answer_list(c, KEY_IOA, type.ioas_primary, choices, type, value, why)) return false;
  b.ioa = static_cast<std::uint16_t>(value);
  if (!answer_list(c, KEY_SIZE, type.sizes, type.sizes, type, value, why)) return false;
  b.size = static_cast<std::uint16_t>(value);
  if (const std::uint16_t forced = forced_size(type.bus, b.ioa)) b.size = forced;
  if (!answer_dpa(c, type, b.size, b.dpa, why)) return false;
  if (params.mode == MODE_INTERRUPT) {
    if (!answer_list(c, KEY_IRQ, type.irqs, type.irqs, type, value, why)) return false;
    b.irq = static_cast<std::uint16_t>(value);
  } else if (!answer_kept(c, KEY_IRQ, 0, "a board added outside interrupt mode has none", "gets",
                          why)) {
    return false;
  }
  params.bus = static_cast<std::uint8_t>(type.bus);
  params.boards[params.nboards++] = b;
  return true;
}

bool board_exists(int number, std::string& why) {
  if (number >= 1 && number <= params.nboards) return true;
  if (params.nboards == 0)
    return refuse(why, "there is no board %d: the set has no boards", number);
  return refuse(why, "there is no board %d: the set has %d board%s", number, params.nboards,
                params.nboards == 1 ? "" : "s");
}

// Each key as the row of mod_menu that it names, in the order the call gives them.
bool modify(const script_change& c, std::string& why) {
  if (nothing_to_modify()) {
    return refuse(why, "there are no parameters to modify: the set is polled on the mc bus");
  }
  if (!board_exists(c.board, why)) return false;
  board_rec& b = params.boards[c.board - 1];
  const btype_rec& type = config.types[b.type];
  flag_mod_rows(type);
  for (int i = 0; i < c.nkeys; ++i) {
    script_change one = c;  // this key alone, as one row chosen
    one.nkeys = 1;
    one.keys[0] = c.keys[i];
    std::int32_t value = 0;
    switch (c.keys[i].key) {
      case KEY_IOA:
        if (mod_menu[MOD_IOA].show != ROW_OFFERED) {
          if (!answer_kept(one, KEY_IOA, b.ioa, "an EISA board's I/O address is not changed",
                           "stays", why))
            return false;
        } else {
          const value_list choices = ioa_choices(&type.ioas_primary, &type.ioas_extras);
          if (!answer_list(one, KEY_IOA, type.ioas_primary, choices, type, value, why))
            return false;
          b.ioa = static_cast<std::uint16_t>(value);
        }
        break;
      case KEY_DPA:
        if (!answer_dpa(one, type, b.size, b.dpa, why)) return false;
        break;
      case KEY_SIZE:
        if (mod_menu[MOD_SIZE].show != ROW_OFFERED) {
          if (!answer_kept(one, KEY_SIZE, b.size, "its type offers one size", "stays", why))
            return false;
        } else {
          if (!answer_list(one, KEY_SIZE, type.sizes, type.sizes, type, value, why)) return false;
          b.size = static_cast<std::uint16_t>(value);
        }
        break;
      case KEY_IRQ:
        if (mod_menu[MOD_IRQ].show != ROW_OFFERED) {
          if (!answer_kept(one, KEY_IRQ, b.irq, "irqs are changed in interrupt mode only", "stays",
                           why))
            return false;
        } else {
          if (!answer_list(one, KEY_IRQ, type.irqs, type.irqs, type, value, why)) return false;
          b.irq = static_cast<std::uint16_t>(value);
        }
        break;
      default:  // bus=, which parse_script keeps from -e
        return refuse(why, "%s= is not a key of -e", key_names[c.keys[i].key]);
    }
  }
  return true;
}

bool remove(const script_change& c, std::string& why) {
  if (!board_exists(c.board, why)) return false;
  remove_board(c.board);
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

bool switch_to(const script& s, int at, std::string& why) {
  const int mode = s.changes[at].mode;
  if (params.mode == mode && mode_allowed(mode, config.modes)) return true;
  if (!mode_can_change(config.modes)) {
    return refuse(why, "mode %s cannot be chosen: the catalog allows %s",
                  mode == MODE_POLL ? "polling" : "interrupt",
                  mode_allowed(MODE_INTERRUPT, config.modes) ? "interrupt only"
                  : mode_allowed(MODE_POLL, config.modes)    ? "polling only"
                                                             : "no mode");
  }
  if (mode == MODE_POLL) {
    params.mode = MODE_POLL;
    return true;
  }
  // As switch_mode: each board without an irq is asked for one.
  std::array<std::uint16_t, MAX_BOARDS> irqs{};
  for (int n = 0; n < params.nboards; ++n) {
    const board_rec& b = params.boards[n];
    irqs[n] = b.irq;
    if (b.irq != 0) continue;
    const btype_rec& type = config.types[b.type];
    script_change answers{};
    if (const script_key* k = later_irq(s, at, n)) {
      answers.keys[0] = *k;
      answers.nkeys = 1;
    }
    std::int32_t value = 0;
    if (!answer_list(answers, KEY_IRQ, type.irqs, type.irqs, type, value, why)) {
      const std::string asked = why;
      return refuse(
          why, "switching to interrupt asks board %d's irq: %s; give it with -e %d irq=N after -M",
          n + 1, asked.c_str(), n + 1);
    }
    irqs[n] = static_cast<std::uint16_t>(value);
  }
  params.mode = MODE_INTERRUPT;
  for (int n = 0; n < params.nboards; ++n) params.boards[n].irq = irqs[n];
  return true;
}

}  // namespace

bool parse_script(int argc, char** argv, script& s, std::string& why) {
  s = {};
  for (int i = 1; i < argc;) {
    const std::string_view op = argv[i++];
    if (s.nchanges == MAX_CHANGES)
      return refuse(why, "more than %d changes in one call", MAX_CHANGES);
    script_change& c = s.changes[s.nchanges++];
    if (op.size() != 2 || op[0] != '-' || std::strchr("adeM", op[1]) == nullptr) {
      return refuse(why, "%s: not a change (-a, -d, -e or -M)", argv[i - 1]);
    }
    c.op = op[1];
    const char* arg = i < argc && argv[i][0] != '-' ? argv[i++] : nullptr;
    if (arg == nullptr)
      return refuse(why, "-%c needs %s", c.op,
                    c.op == 'a'   ? "a type"
                    : c.op == 'M' ? "interrupt or polling"
                                  : "a board number");
    if (c.op == 'a') {
      c.type = arg;
    } else if (c.op == 'M') {
      if (std::strcmp(arg, "interrupt") != 0 && std::strcmp(arg, "polling") != 0) {
        return refuse(why, "-M %s: the mode is interrupt or polling", arg);
      }
      c.mode = arg[0] == 'i' ? MODE_INTERRUPT : MODE_POLL;
    } else {
      if (!is_decimal(arg) || arg[0] == '-' || arg[0] == '+')
        return refuse(why, "-%c %s: not a board number", c.op, arg);
      c.board = read_decimal(arg);
    }
    for (; i < argc && argv[i][0] != '-'; ++i) {
      const char* eq = std::strchr(argv[i], '=');
      const int key = eq != nullptr ? key_index(std::string_view(argv[i], eq - argv[i])) : -1;
      const bool takes_keys = c.op == 'a' || (c.op == 'e' && key != KEY_BUS);
      if (key < 0 || !takes_keys) return refuse(why, "%s: not a key of -%c", argv[i], c.op);
      if (given(c, key) != nullptr)
        return refuse(why, "%s: %s= given twice", argv[i], key_names[key]);
      const char* text = eq + 1;
      script_key& k = c.keys[c.nkeys++];
      k.key = key;
      if (key == KEY_BUS) {
        if (std::strcmp(text, "at") != 0 && std::strcmp(text, "mc") != 0)
          return refuse(why, "%s: the bus is at or mc", argv[i]);
        k.text = text;
      } else if (key == KEY_IOA || key == KEY_DPA) {
        if (!is_hexadecimal(text))
          return refuse(why, "%s: not a hexadecimal number (no 0x)", argv[i]);
        k.value = static_cast<std::int32_t>(htol(text));
      } else {
        if (!is_decimal(text)) return refuse(why, "%s: not a decimal number", argv[i]);
        k.value = read_decimal(text);
      }
    }
    if (c.op == 'e' && c.nkeys == 0) return refuse(why, "-e %d needs a key to change", c.board);
  }
  return s.nchanges > 0 || refuse(why, "no change");
}

bool apply_script(const script& s, bool fresh, std::string& why) {
  for (int i = 0; i < s.nchanges; ++i) {
    const script_change& c = s.changes[i];
    if (given(c, KEY_BUS) != nullptr && !(fresh && i == 0)) {
      return refuse(why, "bus= starts a new par only: this one's bus is %s",
                    params.bus == BUS_AT ? "at" : "mc");
    }
    bool done = false;
    switch (c.op) {
      case 'a':
        done = add(c, why);
        break;
      case 'd':
        done = remove(c, why);
        break;
      case 'e':
        done = modify(c, why);
        break;
      default:
        done = switch_to(s, i, why);
        break;
    }
    if (!done) return false;
  }
  // What quitting the menus requires.
  int pair[2] = {-1, -1};
  switch (irq_rule_broken(&params, pair)) {
    case IRQ_OK:
      return true;
    case IRQ_EISA_SHARED:
      return refuse(why,
                    "board %d's irq %d is also board %d's: EISA and ISA boards cannot share an irq",
                    pair[1] + 1, params.boards[pair[1]].irq, pair[0] + 1);
    case IRQ_MIXED:
      return refuse(
          why, "board %d's irq %d is also board %d's: irqs must be all the same or all different",
          pair[1] + 1, params.boards[pair[1]].irq, pair[0] + 1);
  }
  return false;
}

void start_script_set(const script& s) {
  const script_key* bus = given(s.changes[0], KEY_BUS);
  char program[] = "editpar";
  char word[3] = {};
  char* argv[] = {program, word, nullptr};
  if (bus != nullptr) std::snprintf(word, sizeof word, "%s", bus->text);
  init_params(bus != nullptr ? 2 : 1, argv);
}

void set_mode_unasked() {
  params.mode = mode_can_change(config.modes) ? MODE_INTERRUPT : config.modes;
}
