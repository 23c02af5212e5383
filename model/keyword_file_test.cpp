// The rule a keyword file's line goes to: the first for its keyword's code, none for a
// code without one or out of range.
#include <gtest/gtest.h>

#include "base/lines.h"
#include "model/keyword_file.h"
#include "model/records.h"

namespace kdz {

namespace {

struct no_state {};
void ignore(no_state&, const keyword_line&) {}

// Two rules for KW_SIZES, told apart by their place; KW_CLASS, the last code, has one.
constexpr keyword_rule<no_state> rules[] = {
    {KW_MODE, false, 1, ignore}, {KW_SIZES, true, 2, ignore}, {KW_SIZES, false, 3, ignore},
    {KW_CLASS, true, 4, ignore}, {0, false, 0, nullptr},
};
constexpr keyword_grammar<no_state> grammar = {
    config_tags.data(), rules, rule_index(rules), IN_CFG, cw, nullptr, nullptr,  // not dispatched
};

TEST(FindRule, FirstRuleOfTheCodeOrNone) {
  struct {
    int code;
    int place;  // of the rule found, or 0 for none
  } const cases[] = {
      {KW_MODE, 1}, {KW_SIZES, 2}, {KW_CLASS, 4}, {KW_COPY, 0}, {0, 0}, {-1, 0}, {KW_CODES, 0},
  };
  for (const auto& c : cases) {
    const keyword_rule<no_state>* rule = find_rule(grammar, c.code);
    EXPECT_EQ(rule == nullptr ? 0 : rule->place, c.place) << "code " << c.code;
  }
}

}  // namespace

}  // namespace kdz
