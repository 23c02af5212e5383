// The check's findings about the catalog, whatever "par" holds, and about the lines the
// readers of "cfg" and "par" could not use as the user meant them.
#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "base/lines.h"
#include "check/check.h"
#include "check/check_rules.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"

namespace kdz {

namespace {

constexpr std::uint32_t LAST_IO_BASE = 0xfff8;  // the last base whose eight addresses fit

// A finding about the file as a whole, or about one of its lines, not about a board;
// `words()` gives its words, when they are kept.
template <typename Words>
void found(finding_sink& out, check_file file, int line, const Words& words) {
  add_finding(out, file, line, -1, ON_NOTHING, words);
}

// Words written inside the C strings of "kdzspc.h": a double quote ends the string, a
// backslash escapes what follows it.
const char* breaks_c_string(const char* text) {
  if (std::strchr(text, '"') != nullptr) return "a double quote";
  if (std::strchr(text, '\\') != nullptr) return "a backslash";
  return nullptr;
}

// A device name of "System" and "Node": a letter, then letters, digits or underscores.
bool device_name(const char* name) {
  if (!std::isalpha(static_cast<unsigned char>(name[0]))) return false;
  for (const char* c = name; *c != '\0'; ++c) {
    if (!std::isalnum(static_cast<unsigned char>(*c)) && *c != '_') return false;
  }
  return true;
}

void check_pkg(finding_sink& out, const catalog& cat) {
  const cfg_where& lines = cat.lines;
  if (lines.pkg == 0) {
    found(out, IN_CFG, 0, [] {
      return std::string("no pkg line: System and Node need the package name as a device name");
    });
    return;
  }
  if (std::strlen(lines.pkg_text) >= sizeof cat.config.pkg) {
    found(out, IN_CFG, lines.pkg, [&] {
      return fmt::format("package name \"{}\" is longer than the 7 characters kept (\"{}\")",
                         visible(lines.pkg_text), visible(cat.config.pkg));
    });
  }
  if (!device_name(cat.config.pkg)) {
    found(out, IN_CFG, lines.pkg, [&] {
      return fmt::format(
          "package name \"{}\" is not a device name for System and Node "
          "(letters, digits and underscores, beginning with a letter)",
          visible(cat.config.pkg));
    });
  }
}

void check_copy(finding_sink& out, const catalog& cat) {
  if (const char* what = breaks_c_string(cat.config.copy)) {
    found(out, IN_CFG, cat.lines.copy, [&] {
      return fmt::format(
          "copy holds {}, which kdzspc.h writes inside a C string: the header "
          "would not compile",
          what);
    });
  }
}

// A type named again after it: "par" always names the first.
void check_repeated(finding_sink& out, const catalog& cat, int i) {
  const btype_rec& t = cat.config.types[i];
  for (int j = 0; j < i; ++j) {
    if (std::strcmp(cat.config.types[j].name, t.name) != 0) continue;
    const bool cut = cat.lines.types[i].name_cut || cat.lines.types[j].name_cut;
    found(out, IN_CFG, cat.lines.types[i].type, [&] {
      return fmt::format(
          "type \"{}\" repeats the name of the type of line {}{}: par always "
          "names that one",
          visible(t.name), cat.lines.types[j].type, cut ? " once cut to 15 characters" : "");
    });
    return;
  }
}

// A type that "par" cannot name again, or whose name kdzspc.h cannot hold.
void check_name(finding_sink& out, const catalog& cat, int i) {
  const btype_rec& t = cat.config.types[i];
  const int line = cat.lines.types[i].type;
  if (t.name[0] == '\0') {
    found(out, IN_CFG, line, [] {
      return std::string(
          "a type with an empty name: par cannot name it, and it ends the table of names, "
          "hiding every later type");
    });
    return;
  }
  if (std::strchr(t.name, '"') != nullptr) {
    found(out, IN_CFG, line, [&] {
      return fmt::format(
          "type \"{}\" holds a double quote: par cannot name it, and kdzspc.h, "
          "which writes it inside a C string, would not compile",
          visible(t.name));
    });
  } else if (breaks_c_string(t.name) != nullptr) {
    found(out, IN_CFG, line, [&] {
      return fmt::format(
          "type \"{}\" holds a backslash, which kdzspc.h writes inside a C "
          "string: the header would not compile",
          visible(t.name));
    });
  }
  check_repeated(out, cat, i);
}

// I/O addresses whose eight addresses would pass ffff, at the line of each; `type` names
// the type whose own list it is, or is null for a list of defaults.
void check_io_list(finding_sink& out, const value_list& list,
                   const std::array<int, MAX_VALUES>& lines, const char* type) {
  for (int k = 0; k < list.count && k < MAX_VALUES; ++k) {
    const auto base = static_cast<std::uint32_t>(list.values[k]);
    if (base <= LAST_IO_BASE) continue;
    found(out, IN_CFG, lines[k], [&] {
      if (type == nullptr) {
        return fmt::format(
            "I/O address {:x}, a default of every later type, would pass ffff "
            "with its {} addresses",
            base, IO_SPAN);
      }
      return fmt::format("type \"{}\": I/O address {:x} would pass ffff with its {} addresses",
                         visible(type), base, IO_SPAN);
    });
  }
}

// A type's own list was given on one line; the lists it took from the defaults are
// found once, at the defaults' lines.
void check_io_lists(finding_sink& out, const catalog& cat) {
  check_io_list(out, cat.def.ioas_primary, cat.lines.def_primary, nullptr);
  check_io_list(out, cat.def.ioas_extras, cat.lines.def_extras, nullptr);
  for (int i = 0; i < cat.config.ntypes && i < MAX_TYPES; ++i) {
    const btype_rec& t = cat.config.types[i];
    const cfg_where::type_where& w = cat.lines.types[i];
    std::array<int, MAX_VALUES> lines{};
    if (w.ioas_primary != 0) {
      lines.fill(w.ioas_primary);
      check_io_list(out, t.ioas_primary, lines, t.name);
    }
    if (w.ioas_extras != 0) {
      lines.fill(w.ioas_extras);
      check_io_list(out, t.ioas_extras, lines, t.name);
    }
  }
}

// A keyword given again in one block of "par": the reader keeps the later value, and the
// user may have meant the earlier one.
void repeat_rules(const par_where& lines, finding_sink& out) {
  const int recorded = std::min(lines.nrepeats, par_where::MAX_REPEATS);
  for (int k = 0; k < recorded; ++k) {
    const par_where::repeat& r = lines.repeats[k];
    add_finding(out, IN_PAR, r.line, r.board, ON_NOTHING, [&] {
      return fmt::format("{} given again (the value of line {} is replaced)", r.keyword, r.earlier);
    });
  }
  if (lines.nrepeats > recorded) {
    found(out, IN_PAR, 0, [&] {
      return fmt::format("{} more keywords are given again", lines.nrepeats - recorded);
    });
  }
}

constexpr char cr_words[] =
    "this line ends in a carriage return (a file saved with DOS line ends): the carriage "
    "return becomes part of the line's last word";

}  // namespace

void reader_rules(const catalog& cat, const board_set& set, finding_sink& out) {
  const par_where& par_lines = set.lines;
  const auto cr = [] { return std::string(cr_words); };
  if (cat.lines.first_cr != 0) found(out, IN_CFG, cat.lines.first_cr, cr);
  if (par_lines.first_cr != 0) found(out, IN_PAR, par_lines.first_cr, cr);
  const int recorded = std::min(par_lines.ndropped, par_where::MAX_DROPPED);
  for (int k = 0; k < recorded; ++k) {
    const par_where::dropped_board& d = par_lines.dropped[k];
    found(out, IN_PAR, d.line, [&] {
      return fmt::format(
          "type \"{}\" is not in the catalog: the board is dropped, and buildc "
          "would lose its lines in Init and dces",
          visible(d.type));
    });
  }
  if (par_lines.ndropped > recorded) {
    found(out, IN_PAR, 0, [&] {
      return fmt::format("{} more boards of types the catalog lacks are dropped",
                         par_lines.ndropped - recorded);
    });
  }
  repeat_rules(par_lines, out);
}

void catalog_rules(const catalog& cat, finding_sink& out) {
  check_pkg(out, cat);
  check_copy(out, cat);
  for (int i = 0; i < cat.config.ntypes && i < MAX_TYPES; ++i) check_name(out, cat, i);
  check_io_lists(out, cat);
}

}  // namespace kdz
