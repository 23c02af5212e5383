#include <gtest/gtest.h>

#include <cstring>

#include "libcfg/editor.h"
#include "libcfg/editor_test_util.h"

namespace {

int count_of(const std::string& text, const std::string& piece) {
  int n = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

TEST(Selection, ReturnsTableIndexOfShownRow) {
  // Rows 0 and 1 hidden: display number 1 is table index 2.
  std::array<menu_item, 7> menu = main_menu;
  menu[0].show = menu[1].show = 2;
  const struct {
    const char* answers;
    int result;
    int menus_shown;
  } cases[] = {
      {"1\n", 2, 1},      {"Quit\n", -1, 1}, {"3x\n", 4, 1},
      {"4\n", 5, 1},      {"0\n1\n", 2, 2},  {"-1\nq\n", -1, 2},
      {" 1\nQ\n", -1, 2}, {"5\n12\n", 2, 2}, {"\n\n2\n", 3, 1},
  };
  for (const auto& c : cases) {
    int got = 99;
    const auto d = talk(c.answers, [&] { got = selection(menu.data()); });
    EXPECT_EQ(got, c.result) << c.answers;
    EXPECT_EQ(count_of(d.out, "\t1) List parameters for all boards\n"), c.menus_shown) << c.answers;
  }
  const auto d = talk("\n2\n", [&] { selection(menu.data()); });
  EXPECT_EQ(d.out,
            "\n\t1) List parameters for all boards\n\t2) Add board\n\t3) Modify board\n"
            "\t4) Delete board\n\nSelection (1-4, q to quit): Selection (1-4, q to quit): ");
}

TEST(Selection, MenuOfHiddenRowsOnlyQuits) {
  menu_item menu[] = {{2, "a", nullptr}, {2, "b", nullptr}, {0, null, nullptr}};
  int got = 0;
  const auto d = talk("1\nq\n", [&] { got = selection(menu); });
  EXPECT_EQ(got, -1);
  EXPECT_EQ(d.out, "\n\nSelection (1-0, q to quit): \n\nSelection (1-0, q to quit): ");
}

TEST(PickAOrB, FirstLetterInLowerCase) {
  const struct {
    const char* answers;
    int result;
    const char* out;
  } cases[] = {
      {"N\n", 'n', "Q? "},
      {"yes please\n", 'y', "Q? "},
      {"x\ny\n", 'y', "Q? help\nQ? "},
      {"\n y\nn\n", 'n', "Q? Q? help\nQ? "},
  };
  for (const auto& c : cases) {
    int got = 0;
    const auto d = talk(c.answers, [&] { got = pick_a_or_b('y', 'n', "Q? ", "help"); });
    EXPECT_EQ(got, c.result) << c.answers;
    EXPECT_EQ(d.out, c.out) << c.answers;
  }
}

TEST(PickNToM, NumberInRangeOrQuit) {
  const struct {
    int quit_ok;
    const char* answers;
    int result;
    const char* out;
  } cases[] = {
      {1, "Q\n", -1, "N? "},
      {1, "2abc\n", 2, "N? "},
      {1, "4\nabc\n  3\n", 3, "N? h\nN? h\nN? "},
      {0, "q\n\n1\n", 1, "N? h\nN? N? "},
      {1, "99999999999999999999\n1\n", 1, "N? h\nN? "},
  };
  for (const auto& c : cases) {
    int got = 0;
    const auto d = talk(c.answers, [&] { got = pick_n_to_m(c.quit_ok, 1, 3, "N? ", "h"); });
    EXPECT_EQ(got, c.result) << c.answers;
    EXPECT_EQ(d.out, c.out) << c.answers;
  }
}

TEST(Pick1OfList, HexAndDecimalAnswers) {
  const value_list hex = {3, {0x2a0, 0x2a8, 0x2a8}};
  const value_list dec = {2, {5, -3}};
  const value_list one = {1, {7}};
  const struct {
    int mode;
    const value_list* list;
    const char* answers;
    int result;
    int helps;
  } cases[] = {
      {2, &hex, "2A8\n", 1, 0}, {2, &hex, "0x2a8\n2a8 \n2a0\n", 0, 2}, {2, &hex, " \t2a8\n", 1, 0},
      {1, &dec, "-3\n", 1, 0},  {1, &dec, "\n+5 x\n", 0, 0},           {1, &dec, "3\n5\n", 0, 1},
      {1, &one, "", 0, 0},
  };
  for (const auto& c : cases) {
    int got = 99;
    const auto d = talk(c.answers, [&] { got = pick_1_of_list(c.mode, c.list, "V? ", "h"); });
    EXPECT_EQ(got, c.result) << c.answers;
    EXPECT_EQ(count_of(d.out, "h\n"), c.helps) << c.answers;
    EXPECT_FALSE(d.ended) << c.answers;
  }
}

TEST(WhichBoard, ByNumberOfBoards) {
  const struct {
    int nboards;
    const char* answers;
    int result;
    const char* out;
  } cases[] = {
      {0, "", -1, "There are no boards configured to delete\n"},
      {1, "n\n", -1, "There is only one board configured\nDo you wish to delete it? (y or n) "},
      {1, "x\nY\n", 1,
       "There is only one board configured\nDo you wish to delete it? (y or n) "
       "Enter y to delete this board, n to try again.\nDo you wish to delete it? (y or n) "},
      {3, "4\n3\n", 3,
       "There are 3 boards configured.\nWhich board do you wish to delete (1-3, q to quit) "
       "Enter 1-3 to select a board to delete or q to quit.\n"
       "Which board do you wish to delete (1-3, q to quit) "},
  };
  for (const auto& c : cases) {
    params.nboards = c.nboards;
    int got = 0;
    const auto d = talk(c.answers, [&] { got = which_board("delete"); });
    EXPECT_EQ(got, c.result) << c.nboards;
    EXPECT_EQ(d.out, c.out) << c.nboards;
  }
  params.nboards = 0;
}

TEST(ReadAnswer, LongLinesAndEndOfInput) {
  const std::string long_line(300, 'x');
  std::string first, second;
  auto d = talk(long_line + "\nlast", [&] {
    ask("");
    first = buf;
    ask("");
    second = buf;
    ask("");
  });
  EXPECT_EQ(first, long_line.substr(0, 255));
  EXPECT_EQ(second, "last");  // a last line without a newline is an answer too
  EXPECT_TRUE(d.ended);
  d = talk("\n\n", [] { pick_a_or_b('y', 'n', "Q? ", "h"); });
  EXPECT_TRUE(d.ended);
  EXPECT_EQ(d.out, "Q? Q? Q? ");
}

}  // namespace
