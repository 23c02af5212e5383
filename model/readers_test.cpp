// The catalog's types found by name, as the par reader and the editor look them up. What
// the readers warn, and the lines they keep beside the values, are the golden cases'
// (tests/editpar/check_reader_lines, catalog_warnings, params_warnings).
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "base/files.h"
#include "model/catalog.h"

namespace kdz {

namespace {

TEST(TypeTags, FindTheFirstTypeOfAName) {
  std::string text = "type A\ntype B\ntype A\ntype \"\"\ntype C\n";
  catalog cat{};
  warning_list found;
  ASSERT_TRUE(read_config(file_ptr(fmemopen(text.data(), text.size(), "r")).get(), cat, found));
  EXPECT_STREQ(type_tags(cat)[5].name, "");
  // An empty name ends the table as its end row does: "C" after it is never found.
  const std::pair<const char*, int> cases[] = {{"A", 0}, {"B", 1}, {"", -1}, {"C", -1}, {"AB", -1}};
  for (const auto& [name, index] : cases) EXPECT_EQ(find_type(cat, name), index) << name;
}

}  // namespace

}  // namespace kdz
