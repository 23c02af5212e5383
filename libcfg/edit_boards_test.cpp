// The menus' operations as a user drives them: what each asks and lists, byte for byte, and
// what it leaves in the set, on the catalog of edit_test_files.h.
#include <string>
#include <vector>

#include "libcfg/edit_test_files.h"

namespace {

using namespace edit_test;

constexpr char two_at_boards[] =
    "mode interrupt\nbus at\n"
    "type at8\nsize 32\nirq 5\nioa 80\ndpa d0000\n"
    "type one\nsize 16\nirq 0\nioa 310\ndpa d8000\n";
constexpr char polled_pair[] =
    "mode polling\nbus at\n"
    "type at8\nsize 16\nioa 300\ndpa c8000\n"
    "type one\nsize 16\nirq 7\nioa 310\ndpa cc000\n";
constexpr char polled_no_irqs[] =
    "mode polling\nbus at\n"
    "type at8\nsize 16\nioa 300\ndpa c8000\n"
    "type one\nsize 16\nioa 310\ndpa cc000\n";
constexpr char empty_mc[] = "mode interrupt\nbus mc\n";
constexpr char empty_unset[] = "";

struct dialogue_case {
  const char* name;
  const char* par;
  void (*operation)(editor&);
  const char* answers;
  const char* output;  // what the operation wrote, questions and listings
  const char* result;  // the set as summary() gives it
};

void ask_ioa_of_board_2(editor& ed) {
  const btype_rec& at8 = ed.cat.config.types[0];
  ed.set.params.boards[1].ioa = get_ioa(ed, 1, &at8.ioas_primary, &at8.ioas_extras);
}

const dialogue_case cases[] = {
    {"io address list, three wide, extras accepted", two_at_boards, ask_ioa_of_board_2,
     "0x80\n320\n",
     "What I/O address is board 2 to use? ( 80, or 300) Valid I/O address values are:  80, or 300 "
     "\n"
     "What I/O address is board 2 to use? ( 80, or 300) ",
     "m1 b1 | at8 32 5 80 d0000 | one 16 0 320 d8000"},
    {"add declined: the set is as it was", empty_unset, add_board, "4\n1000\n32\nd0000\nn\n",
     "Adding board 1...\n"
     "What board type is this board?\n"
     "\n"
     "\t1) AT 8\n"
     "\t2) \xc3\x96ne size\n"
     "\t3) EISA\n"
     "\t4) MC 8\n"
     "\n"
     "Selection (1-4, q to quit): What I/O address is board 1 to use? (1000, or 1008) What size is "
     "the dual port on board 1? (16, or 32) What memory address is board 1 to use? \n"
     "Parameters for board 1 are -\n"
     "\tio address:      1000\n"
     "\tmem address:   d0000\n"
     "\tdual port size:   16\n"
     "\n"
     "Ok to add board 1 (y or n): ",
     "m0 b0"},
    {"add on the MC bus: its one class is taken unasked", empty_mc, add_board,
     "1008\n32\nc2000\nc4000\n4\ny\n",
     "Adding board 1...\n"
     "What I/O address is board 1 to use? (1000, or 1008) What size is the dual port on board 1? "
     "(16, or 32) What memory address is board 1 to use? Memory address for this board must be on "
     "a 16 Kbyte boundary.\n"
     "What memory address is board 1 to use? What IRQ is board 1 to use? (3, or 4) \n"
     "Parameters for board 1 are -\n"
     "\tio address:      1008\n"
     "\tmem address:   c4000\n"
     "\tdual port size:   16\n"
     "\tIRQ:               4\n"
     "\n"
     "Ok to add board 1 (y or n): ",
     "m1 b2 | mc8 16 4 1008 c4000"},
    {"list: labels padded by bytes", two_at_boards, list_params, "",
     "There are 2 boards configured.\n"
     "\n"
     "Board Type      IRQ  I/O   DPaddr  DPsize\n"
     "  1)  AT 8       5    80    d0000    32\n"
     "  2)  \xc3\x96ne size  0   310    d8000    16\n"
     "\n",
     "m1 b1 | at8 32 5 80 d0000 | one 16 0 310 d8000"},
    {"switch to interrupt asks each missing irq", polled_pair, switch_mode, "5\n",
     "What IRQ is board 1 to use? (3, 5, or 7) ",
     "m1 b1 | at8 16 5 300 c8000 | one 16 7 310 cc000"},
};

TEST(Menus, EachOperation) {
  const catalog cat = read_catalog(catalog_text);
  for (const dialogue_case& c : cases) {
    board_set set = read_set(cat, c.par);
    session run(cat, set, c.answers);
    try {
      c.operation(run.ed);
    } catch (const end_of_input&) {
      ADD_FAILURE() << c.name << ": the answers ran out";
    }
    EXPECT_EQ(run.written(), c.output) << c.name;
    EXPECT_EQ(summary(cat, set.params), c.result) << c.name;
  }
}

TEST(Menus, InputEndingKeepsTheAnswersGiven) {
  const catalog cat = read_catalog(catalog_text);
  board_set set = read_set(cat, polled_no_irqs);
  session run(cat, set, "7\n");
  EXPECT_THROW(switch_mode(run.ed), end_of_input);
  EXPECT_EQ(summary(cat, set.params), "m1 b1 | at8 16 7 300 c8000 | one 16 0 310 cc000");
  EXPECT_EQ(run.written(),
            "What IRQ is board 1 to use? (3, 5, or 7) What IRQ is board 2 to use? (5, or 7) ");
}

TEST(NoteNumber, OnlyWhenTheAnswerIsNotWhollyTheDigitsOfTheValue) {
  const catalog cat = read_catalog(catalog_text);
  const struct {
    const char* answer;
    int base;
    std::int64_t value;  // as the question read it
    const char* note;
  } cases[] = {
      {"300", 16, 0x300, ""},
      {"0300", 16, 0x300, ""},
      {"09afAF", 16, 0x9afaf, ""},
      {"", 16, 0, ""},
      {"d0000h", 16, 0, "note: \"d0000h\" is not a number: read as 0\n"},
      {"0x300", 16, 0, "note: \"0x300\" is not a number: read as 0\n"},
      {" 2A0", 16, 0x2a0, "note: \" 2A0\" is not a number: read as 2a0\n"},
      {"g", 16, 0, "note: \"g\" is not a number: read as 0\n"},
      // Past 32 bits, and past 64 bits where the low 64 bits alone would match.
      {"100000300", 16, 0x300, "note: \"100000300\" is not a number: read as 300\n"},
      {"10000000000000300", 16, 0x300,
       "note: \"10000000000000300\" is not a number: read as 300\n"},
      {"7", 10, 7, ""},
      {"007", 10, 7, ""},
      {"a", 10, 0, "note: \"a\" is not a number: read as 0\n"},
      {"a", 10, 10, "note: \"a\" is not a number: read as 10\n"},  // no decimal digit
      {"1f", 10, 1, "note: \"1f\" is not a number: read as 1\n"},
      {"12", 10, 1, "note: \"12\" is not a number: read as 1\n"},
      {"18446744073709551615", 10, -1,
       "note: \"18446744073709551615\" is not a number: read as -1\n"},
      {"5\t", 10, 5, "note: \"5\\t\" is not a number: read as 5\n"},
  };
  for (const auto& c : cases) {
    board_set set{};
    session run(cat, set, std::string(c.answer) + "\n");
    read_answer(run.ed);
    note_number(run.ed, c.base, c.value);
    EXPECT_EQ(run.written(), c.note) << c.answer;
  }
}

TEST(PromptText, CutsAtSeventyNineCharacters) {
  const std::string forty(40, 'x');
  const struct {
    std::vector<std::string> pieces;
    std::string text;
  } cases[] = {
      {{"Selection (1-", "5", ", q to quit): "}, "Selection (1-5, q to quit): "},
      {{forty, forty}, forty + std::string(39, 'x')},
      {{forty, std::string(39, 'y'), "z"}, forty + std::string(39, 'y')},
      {{std::string(79, 'a'), "b", "c"}, std::string(79, 'a')},
      {{"", "", "ok"}, "ok"},
  };
  for (const auto& c : cases) {
    prompt_text t;
    for (const std::string& piece : c.pieces) t.add("{}", piece);
    EXPECT_EQ(std::string(t.s), c.text);
    EXPECT_EQ(t.len, c.text.size());
  }
}

}  // namespace
