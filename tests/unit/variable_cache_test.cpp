// A variable's integer is kept beside its text while the text is unchanged:
// every command must see exactly what converting the text would give, for
// texts that are and are not plain numbers, after every way of changing it.
#include <gtest/gtest.h>

#include <string>

#include "interpreter/control_flow.h"
#include "interpreter/interpreter.h"
#include "interpreter/operands.h"
#include "test_support.h"

namespace {

using test_support::HeadlessConsole;

class VariableCache : public testing::Test {
 protected:
  VariableCache() {
    interp::ResetInterpreterForTests();
    interp::ResetVariables();
  }
  HeadlessConsole headless_;
};

TEST_F(VariableCache, SomaAndConditionsSeeTheText) {
  struct Case {
    const char* value;   // A's text before SOMA A 1
    const char* after;   // A's text after
  };
  const Case cases[] = {
      {"41", "42"},           {"-1", "0"},          {"0", "1"},
      {" 12", " 13"},         {"+5", "+6"},         {"007", "8"},
      {"-0", "1"},            {"ITEM9", "ITEM10"},  {"", "1"},
      {"2147483647", "-2147483648"}, {"x", "x1"},   {"$10", "$11"},
  };
  for (const Case& c : cases) {
    interp::SetVariable('A', c.value);
    int32_t before = 0;
    int32_t converted = 0;
    EXPECT_EQ(interp::VariableInteger('A', before), interp::ToInteger(c.value, converted)) << c.value;
    EXPECT_EQ(before, converted) << c.value;
    ASSERT_TRUE(interp::Dispatch("SOMA", "A 1")) << c.value;
    EXPECT_EQ(interp::Variable('A'), c.after) << c.value;
    // The kept integer follows the new text.
    int32_t now = 0, expected = 0;
    EXPECT_EQ(interp::VariableInteger('A', now), interp::ToInteger(c.after, expected)) << c.value;
    EXPECT_EQ(now, expected) << c.value;
  }
}

TEST_F(VariableCache, EveryChangeIsSeen) {
  ASSERT_TRUE(interp::Dispatch("SEJA", "A 5"));
  ASSERT_TRUE(interp::Dispatch("SOMA", "A 1"));  // kept: 6
  ASSERT_TRUE(interp::Dispatch("CONCATENA", "A \"0\""));
  ASSERT_TRUE(interp::Dispatch("SOMA", "A A"));  // 60 + 60
  EXPECT_EQ(interp::Variable('A'), "120");
  ASSERT_TRUE(interp::Dispatch("MULTIPLICA", "A 2"));
  ASSERT_TRUE(interp::Dispatch("SEJA", "B (A + 1)"));
  EXPECT_EQ(interp::Variable('B'), "241");
  ASSERT_TRUE(interp::Dispatch("SEJA", "A \"  7\""));
  interp::Condition condition;
  ASSERT_TRUE(interp::EvaluateCondition("A = 7", condition));
  EXPECT_FALSE(condition.value);  // "  7" is a text, not the digits of 7
  ASSERT_TRUE(interp::EvaluateCondition("B > 99", condition));
  EXPECT_TRUE(condition.value);
  ASSERT_TRUE(interp::EvaluateCondition("B < 0241", condition));  // digits compare as numbers
  EXPECT_FALSE(condition.value);
  ASSERT_TRUE(interp::EvaluateCondition("B = 0241 DESVIA @X", condition));
  EXPECT_TRUE(condition.value);
  EXPECT_EQ(condition.rest, "DESVIA @X");
  ASSERT_TRUE(interp::EvaluateCondition("B < \"\"", condition));  // the empty text is smaller than any digits
  EXPECT_FALSE(condition.value);
  ASSERT_TRUE(interp::EvaluateCondition("b =* 24", condition));  // lower-case variable names
  EXPECT_TRUE(condition.value);
}

}  // namespace
