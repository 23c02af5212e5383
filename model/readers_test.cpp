// The readers of "cfg" and "par" and the writer of "par": each warning with the line it is
// about, what the readers record beside the values (class rows, where things stand), a
// reader given a record that holds an earlier file, and a written set that reads back to
// the same set at the lines the writer told.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/files.h"
#include "model/board_set.h"
#include "model/catalog.h"
#include "model/records.h"

namespace kdz {

namespace {

using strings = std::vector<std::string>;

// Each warning as "LINE: TEXT", checking the file it is about.
strings lines_of(const warning_list& found, check_file file) {
  strings s;
  for (const reader_warning& w : found) {
    EXPECT_EQ(w.file, file);
    s.push_back(std::to_string(w.line) + ": " + w.text);
  }
  return s;
}

strings read_cfg(std::string text, catalog& cat) {
  warning_list found;
  EXPECT_TRUE(read_config(file_ptr(fmemopen(text.data(), text.size(), "r")).get(), cat, found));
  return lines_of(found, IN_CFG);
}

strings read_par(std::string text, const catalog& cat, board_set& set) {
  warning_list found;
  EXPECT_TRUE(
      read_params(file_ptr(fmemopen(text.data(), text.size(), "r")).get(), cat, set, found));
  return lines_of(found, IN_PAR);
}

// Types and labels, the first line ending in CR, the show flag of each row up to the end
// row, and each type's line ("cut" when its name was cut short).
std::string cfg_summary(const catalog& cat) {
  const int n = cat.config.ntypes;
  std::string s = std::to_string(n) + "/" + std::to_string(cat.config.nclasses) + " cr" +
                  std::to_string(cat.lines.first_cr) + " rows";
  for (int i = 0; i <= n; ++i) s += " " + std::to_string(cat.class_rows[i]);
  for (int i = 0; i < n; ++i)
    s +=
        " |" + std::to_string(cat.lines.types[i].type) + (cat.lines.types[i].name_cut ? "cut" : "");
  return s;
}

std::string many_types(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += "type t" + std::to_string(i) + "\nclass c\n";
  return text;
}

TEST(ReadConfig, WarningsAtTheirLinesAndTheClassRows) {
  // clang-format off
  const struct {
    std::string text, seen;
    strings warnings;
  } cases[] = {
      // No "class" line keeps the end flag; an empty one hides the row; the last one counts.
      {"type a\ntype \"sixteen chars ab\"\nclass\ntype \"fifteen chars a\"\r\nclass C\nclass\n"
       "type d\r\n", "4/1 cr4 rows 0 2 2 0 0 |1 |2cut |4 |7", {}},
      // A refused type's block is dropped without a word, its "missing value" too.
      {many_types(13) + "type x\nclass\nsizes\nbus\nbogus 1\nmode z\n",
       "13/13 cr0 rows 1 1 1 1 1 1 1 1 1 1 1 1 1 0 |1 |3 |5 |7 |9 |11 |13 |15 |17 |19 |21 |23 |25",
       {"27: load_config: WARNING - too many board types: x.",
        "31: load_config: WARNING - unknown parameter: bogus.",
        "32: load_config: WARNING - invalid driver mode: z."}},
      // A line longer than a line buffer comes in pieces that keep its number.
      {"sizes" + std::string(260, ' ') + "8 16\nbus q\n", "0/0 cr0 rows 0",
       {"1: load_config: WARNING - unknown parameter: 8.",
        "2: load_config: WARNING - invalid bus type: q."}},
  };
  // clang-format on
  catalog cat{};  // each case reads into what the one before left
  for (const auto& c : cases) {
    EXPECT_EQ(read_cfg(c.text, cat), c.warnings) << c.text;
    EXPECT_EQ(cfg_summary(cat), c.seen) << c.text;
  }
}

TEST(TypeTags, FindTheFirstTypeOfAName) {
  catalog cat{};
  read_cfg("type A\ntype B\ntype A\ntype \"\"\ntype C\n", cat);
  EXPECT_STREQ(type_tags(cat)[5].name, "");
  // An empty name ends the table as its end row does: "C" after it is never found.
  const std::pair<const char*, int> cases[] = {{"A", 0}, {"B", 1}, {"", -1}, {"C", -1}, {"AB", -1}};
  for (const auto& [name, index] : cases) EXPECT_EQ(find_type(cat, name), index) << name;
}

catalog two_types() {
  catalog cat{};
  cat.config.ntypes = 2;
  std::strcpy(cat.config.types[0].name, "Eight Port");
  std::strcpy(cat.config.types[1].name, "big");
  return cat;
}

// The set with the line of each value, the first line ending in CR, and the dropped boards.
std::string par_summary(const board_set& set) {
  const params_rec& p = set.params;
  const auto at = [](int value, int line) {
    return std::to_string(value) + "@" + std::to_string(line);
  };
  std::string s = "b" + std::to_string(p.bus) + " m" + at(p.mode, set.lines.mode) + " cr" +
                  std::to_string(set.lines.first_cr);
  for (int i = 0; i < p.nboards; ++i) {
    const board_rec& b = p.boards[i];
    const par_where::board_where& w = set.lines.boards[i];
    s += " |" + at(b.type, w.type) + " " + at(b.size, w.size) + " " + at(b.irq, w.irq) + " " +
         at(b.ioa, w.ioa) + " " + at(static_cast<int>(b.dpa), w.dpa);
  }
  s += " dropped " + std::to_string(set.lines.ndropped);
  for (int i = 0; i < std::min(set.lines.ndropped, par_where::MAX_DROPPED); ++i)
    s += " " + std::string(set.lines.dropped[i].type) + "@" +
         std::to_string(set.lines.dropped[i].line);
  return s;
}

// `n` boards of `type`, each with its irq line.
std::string boards(int n, const char* type) {
  std::string text;
  for (int i = 0; i < n; ++i) text += std::string("type ") + type + "\nirq 9\n";
  return text;
}

TEST(ReadParams, ValuesAndWarningsAtTheirLines) {
  strings unknown;
  for (int line = 1; line < 18; line += 2)
    unknown.push_back(std::to_string(line) + ": load_params: WARNING - unknown board type: x.");
  // clang-format off
  const struct {
    std::string text, seen;
    strings warnings;
  } cases[] = {
      // The first valid word of a mode line wins; a dropped board takes its values along.
      {"mode int poll\ntype big\nsize 16\nirq 5\nioa 2A8\ndpa d0000\n\ntype nix\nsize 8\n"
       "type \"Eight Port\"\r\ndpa 1\nioa\n",
       "b0 m1@1 cr10 |1@2 16@3 5@4 680@5 851968@6 |0@10 0@0 0@0 0@0 1@11 dropped 1 nix@8",
       {"8: load_params: WARNING - unknown board type: nix.",
        "12: load_params: WARNING - missing value: ioa."}},
      {boards(9, "x"), "b0 m0@0 cr0 dropped 9 x@1 x@3 x@5 x@7 x@9 x@11 x@13 x@15", unknown},
  };
  // clang-format on
  const catalog cat = two_types();
  board_set set{};  // each case reads into what the one before left
  for (const auto& c : cases) {
    EXPECT_EQ(read_par(c.text, cat, set), c.warnings) << c.text;
    EXPECT_EQ(par_summary(set), c.seen) << c.text;
  }
}

// A written set reads back to the same set, with its values at the lines the writer told;
// but an unset mode gets no mode line, a set without boards no bus line (it reads back
// unset), and a set with boards and bus 0 is written as "mc".
TEST(WriteParams, ReadsBackToTheSameSetAtTheSameLines) {
  constexpr char two_boards[] =
      "# Per Board Params...\n\n# Board 1...\n\ttype \"Eight Port\"\n"
      "\tsize 8\n\tirq  5\n\tioa  300\n\tdpa  d8000\n\n# Board 2...\n"
      "\ttype \"big\"\n\tsize 16\n\tirq  65535\n\tioa  0\n\tdpa  ffffffff\n\n";
  const struct {
    int nboards;
    std::uint8_t mode, bus;
    const char* head;
    std::uint8_t bus_back;
  } cases[] = {
      {2, 1, 1, "mode interrupt\n\nbus at\n", BUS_AT},
      {2, 0, 0, "bus mc\n", BUS_MC},
      {0, 2, 2, "mode polling\n", 0},
  };
  const catalog cat = two_types();
  for (const auto& c : cases) {
    board_set set{};
    set.params = {c.nboards, c.bus, c.mode, {}};
    set.params.boards[0] = {0, 8, 5, 0x300, 0xd8000};
    set.params.boards[1] = {1, 16, 65535, 0, 0xffffffff};
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    set.lines = write_params(out, cat, set.params);
    std::fclose(out);
    const std::string written(text, size);
    std::free(text);
    const std::string boards = c.nboards > 0 ? two_boards : "# Per Board Params...\n\n";
    EXPECT_EQ(written, "# Common Params...\n" + std::string(c.head) + boards);
    board_set back{};
    EXPECT_EQ(read_par(written, cat, back), strings{});
    set.params.bus = c.bus_back;
    EXPECT_EQ(par_summary(back), par_summary(set));
  }
}

}  // namespace

}  // namespace kdz
