// The text and arithmetic commands on one variable, and SUBSTITUI's scan
// checked against a plain re-implementation of its rule on every small
// case.
#include <gtest/gtest.h>

#include <string>

#include "interpreter/interpreter.h"
#include "interpreter/operands.h"
#include "interpreter/text_commands.h"
#include "test_support.h"

namespace {

using test_support::HeadlessConsole;

// The rule as written: p from length - length(old) + 1 down to 1; where the
// text at p is old, replace it and go on with p - 1 over the changed text.
std::string PlainReplace(std::string text, const std::string& old, const std::string& replacement) {
  for (long p = static_cast<long>(text.size()) - static_cast<long>(old.size()); p >= 0; --p) {
    if (text.compare(static_cast<size_t>(p), old.size(), old) == 0 && static_cast<size_t>(p) + old.size() <= text.size()) {
      text.erase(static_cast<size_t>(p), old.size());
      text.insert(static_cast<size_t>(p), replacement);
    }
  }
  return text;
}

// Every text of `length` letters over {a, b}.
std::vector<std::string> Texts(size_t length) {
  std::vector<std::string> texts;
  for (unsigned bits = 0; bits < (1u << length); ++bits) {
    std::string text;
    for (size_t i = 0; i < length; ++i) text += (bits >> i) & 1 ? 'b' : 'a';
    texts.push_back(text);
  }
  return texts;
}

TEST(Substitui, MatchesTheRuleOnEverySmallCase) {
  for (size_t length = 0; length <= 6; ++length)
    for (const std::string& text : Texts(length))
      for (size_t old_length = 0; old_length <= 3; ++old_length)
        for (const std::string& old : Texts(old_length))
          for (size_t new_length = 0; new_length <= 3; ++new_length)
            for (const std::string& replacement : Texts(new_length)) {
              std::string result;
              ASSERT_TRUE(interp::ReplaceFromRight(text, old, replacement, interp::kMaxTextSize, result));
              ASSERT_EQ(result, PlainReplace(text, old, replacement))
                  << "text " << text << " old " << old << " new " << replacement;
            }
}

TEST(Substitui, RefusesToGrowBeyondTheLimit) {
  std::string result = "unchanged";
  EXPECT_FALSE(interp::ReplaceFromRight("abcd", "", "xx", 10, result));
  EXPECT_EQ(result, "unchanged");
  EXPECT_TRUE(interp::ReplaceFromRight("abcd", "", "x", 9, result));
  EXPECT_EQ(result, "xaxbxcxdx");
}

class TextCommands : public testing::Test {
 protected:
  TextCommands() {
    interp::ResetInterpreterForTests();
    interp::ResetVariables();
  }
  HeadlessConsole headless_;
};

struct Case {
  const char* before;  // A's value before the command
  bool (*command)(const std::string&);
  const char* arguments;
  bool succeeds;
  const char* after;  // A's value after it
};

TEST_F(TextCommands, Table) {
  using namespace interp;
  const Case cases[] = {
      {"ITEM9", CmdSoma, "A 1", true, "ITEM10"},
      {"", CmdSoma, "A 5", true, "5"},
      {"abc-3", CmdSoma, "A 5", true, "abc2"},
      {"7x", CmdSoma, "A 1", true, "7x1"},
      {"x-", CmdSoma, "A 1", true, "x1"},
      {"2147483647", CmdSoma, "A 1", true, "-2147483648"},
      {"5", CmdSoma, "A 1 ignorado", true, "6"},
      {"5", CmdSoma, "A", false, "5"},
      {"5", CmdSoma, "A x", false, "5"},
      {"10", CmdSubtrai, "A 3", true, "7"},
      {"abc", CmdSubtrai, "A 3", false, "abc"},
      {"-2147483648", CmdSubtrai, "A 1", true, "2147483647"},
      {"10", CmdSubtrai, "A 3 x", false, "7"},  // changed, then fails
      {"65536", CmdMultiplica, "A 65536", true, "0"},
      {"-7", CmdDivide, "A 2", true, "-3"},
      {"-2147483648", CmdDivide, "A -1", true, "-2147483648"},
      {"9", CmdDivide, "A 0", false, "9"},
      {"9", CmdDivide, "A", false, "9"},
      {"ab", CmdConcatena, "A \"cd\"", true, "abcd"},
      {"ab", CmdConcatena, "A \"cd\" \"e\"", false, "ab"},
      {"abcdef", CmdDeleta, "A 2 2", true, "adef"},
      {"abcde", CmdDeleta, "A 10 1", true, "abcde"},
      {"abcde", CmdDeleta, "A 0 2", true, "abcde"},
      {"abcde", CmdDeleta, "A 4 99", true, "abc"},
      {"abcde", CmdDeleta, "A 1 -1", true, "abcde"},
      {"aab", CmdSubstitui, "A \"ab\" \"b\"", true, "b"},
      {"abc", CmdSubstitui, "A \"\" \"x\"", true, "xaxbxcx"},
  };
  for (const Case& c : cases) {
    interp::SetVariable('A', c.before);
    EXPECT_EQ(c.command(c.arguments), c.succeeds) << c.before << " / " << c.arguments;
    EXPECT_EQ(interp::Variable('A'), c.after) << c.before << " / " << c.arguments;
  }
}

TEST_F(TextCommands, Copia) {
  interp::SetVariable('W', "abcdef");
  const struct {
    const char* arguments;
    const char* copy;
  } cases[] = {
      {"A W 2 4", "bcd"}, {"A W 0 2", "abc"}, {"A W -5 1", "abcdef"}, {"A W 5 100", "ef"},
      {"A W 7 9", ""},    {"A W 4 3", ""},    {"A W \" 2 \" 2", "b"}, {"A W 1 2147483647", "abcdef"},
  };
  for (const auto& c : cases) {
    interp::SetVariable('A', "old");
    EXPECT_TRUE(interp::CmdCopia(c.arguments)) << c.arguments;
    EXPECT_EQ(interp::Variable('A'), c.copy) << c.arguments;
  }
  EXPECT_FALSE(interp::CmdCopia("A W 1"));
  EXPECT_FALSE(interp::CmdCopia("A W x 2"));
}

}  // namespace
