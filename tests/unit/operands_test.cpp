// The operand readers, the integer conversion and the parenthesised
// expressions, as tables of cases.
#include <gtest/gtest.h>

#include <string>

#include "console/console.h"
#include "interpreter/interpreter.h"
#include "interpreter/operands.h"
#include "test_support.h"

namespace {

using test_support::HeadlessConsole;

class Operands : public testing::Test {
 protected:
  Operands() {
    interp::ResetInterpreterForTests();
    interp::ResetVariables();
  }
  ~Operands() override { interp::SetBuild(interp::Build::Tessel); }
  static void Set(char letter, const std::string& value) { interp::SetVariable(letter, value); }
  HeadlessConsole headless_;
};

struct IntegerCase {
  const char* text;
  bool converts;
  int32_t value;  // also the value left by a failed conversion
};

TEST_F(Operands, ToInteger) {
  const IntegerCase cases[] = {
      {"0", true, 0},
      {"42", true, 42},
      {"  42", true, 42},          // leading blanks
      {"+7", true, 7},
      {"-7", true, -7},
      {"-0", true, 0},
      {"007", true, 7},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 214748364},     // the digit that overflows is the bad one
      {"-2147483649", false, -214748364},
      {"99999999999", false, 999999999},
      {"$FF", true, 255},
      {"xff", true, 255},
      {"X10", true, 16},
      {"0x10", true, 16},
      {"0XaB", true, 171},
      {"$7FFFFFFF", true, 2147483647},
      {"$80000000", true, INT32_MIN},       // from 80000000 up: negative
      {"$FFFFFFFF", true, -1},
      {"$123456789", false, 0x12345678},    // nine digits
      {"$", false, 0},
      {"0x", false, 0},
      {"-$10", false, 0},                   // no sign before a hexadecimal prefix
      {"", false, 0},
      {"   ", false, 0},
      {"+", false, 0},
      {"-", false, 0},
      {"12a", false, 12},
      {"-12a", false, -12},
      {"12 ", false, 12},                   // nothing may follow, not even a blank
      {"1 2", false, 1},
      {"$1G", false, 1},
      {"abc", false, 0},
      {"1.5", false, 1},
  };
  for (const IntegerCase& c : cases) {
    int32_t value = 12345;
    EXPECT_EQ(interp::ToInteger(c.text, value), c.converts) << '"' << c.text << '"';
    EXPECT_EQ(value, c.value) << '"' << c.text << '"';
  }
}

struct ExpressionCase {
  const char* text;  // the operand, "(" ... ")" and what follows it
  bool reads;
  const char* value;
  const char* rest;  // what the reader leaves
};

TEST_F(Operands, ExpressionsIn64Bits) {
  Set('A', "x10");
  Set('B', "abc");
  Set('C', "-5");
  Set('M', "2147483647");
  interp::SetVariable(interp::kFirstNamedSlot, "");  // make sure the slot exists
  std::string setup = "$N1 ";
  int slot = 0;
  ASSERT_TRUE(interp::ReadVariableName(setup, slot));
  interp::SetVariable(slot, "3");
  const ExpressionCase cases[] = {
      {"(2 + 3 * -4)", true, "-10", ""},
      {"(7 / -2)", true, "-3", ""},
      {"(-7 / 2)", true, "-3", ""},
      {"(A + 1)", true, "17", ""},           // x10 reads hexadecimal
      {"(a+1)", true, "17", ""},             // letters either case
      {"(C * C)", true, "25", ""},
      {"($N1 * 2)", true, "6", ""},
      {"($n1 * 2)", true, "6", ""},
      {"((1 + 2) * (3 + 4))", true, "21", ""},
      {"(- - 5)", true, "5", ""},
      {"(10 - 2 - 3)", true, "5", ""},       // left to right
      {"(100 / 10 / 5)", true, "2", ""},
      {"(M + 1)", true, "2147483648", ""},   // 64 bits in Tessel
      {"(M * M * M)", true, "4611686024869838847", ""},
      {"(2147483648)", true, "-2147483648", ""},  // numbers are read in 32 bits
      {"(4294967297)", true, "1", ""},
      {"(1 +)", true, "1", ""},              // an unreadable last operand is skipped
      {"(1 * + 2)", true, "3", ""},
      {"( 5 ) rest", true, "5", "rest"},
      {"(1)(2)", true, "1", "(2)"},
      {"(1 + + 2)", false, "", ""},
      {"(1 * * 2)", false, "", ""},
      {"(1 / / 2)", false, "", ""},
      {"(1 - - 2)", true, "3", ""},          // "-" also starts a factor
      {"(B + 1)", false, "", ""},            // not an integer
      {"(AB)", false, "", ""},               // one letter per variable
      {"($N_1)", false, "", ""},             // "_" ends a name inside expressions
      {"($)", false, "", ""},
      {"(1 + 2", false, "", ""},             // no closing parenthesis
      {"((1 + 2)", false, "", ""},
      {"()", false, "", ""},
      {"(#)", false, "", ""},
      {"(1 % 2)", false, "", ""},
      {"(5 / 0)", false, "", ""},            // division by zero
      {"(5 / (2 - 2))", false, "", ""},
  };
  for (const ExpressionCase& c : cases) {
    std::string rest = c.text, value = "unchanged";
    bool reads = interp::ReadOperand(rest, value);
    EXPECT_EQ(reads, c.reads) << c.text;
    if (reads) {
      EXPECT_EQ(value, c.value) << c.text;
      EXPECT_EQ(rest, c.rest) << c.text;
    } else {
      EXPECT_EQ(rest, c.text) << "a failed read leaves the text: " << c.text;
    }
  }
}

TEST_F(Operands, ExpressionsWrapIn32BitsInEnsaio) {
  interp::SetBuild(interp::Build::Ensaio);
  Set('M', "2147483647");
  Set('N', "-2147483648");
  const ExpressionCase cases[] = {
      {"(M + 1)", true, "-2147483648", ""},
      {"(N - 1)", true, "2147483647", ""},
      {"(65536 * 65536)", true, "0", ""},
      {"(N / -1)", true, "-2147483648", ""},
      {"(-N)", true, "-2147483648", ""},
      {"(7 / -2)", true, "-3", ""},
  };
  for (const ExpressionCase& c : cases) {
    std::string rest = c.text, value;
    ASSERT_TRUE(interp::ReadOperand(rest, value)) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST_F(Operands, TesselWrapsIn64Bits) {
  Set('M', "2147483647");
  std::string rest = "(M*M*M*M*M)", value;  // 2^155 - ... wraps without overflow traps
  EXPECT_TRUE(interp::ReadOperand(rest, value));
  rest = "(-9223372036854775807 - 1)";  // the number reads in 32 bits
  EXPECT_TRUE(interp::ReadOperand(rest, value));
}

TEST_F(Operands, DivisionByZeroIsSaid) {
  std::string rest = "(1 / 0)", value;
  EXPECT_FALSE(interp::ReadOperand(rest, value));
  EXPECT_EQ(console::ScreenRow(1).substr(0, 16), "Divis\xE3o por zero");
  console::ClearScreen();
  {
    interp::QuietExpressions quiet;
    EXPECT_FALSE(interp::ReadOperand(rest, value));
  }
  EXPECT_EQ(console::ScreenRow(1), std::string(80, ' '));
}

TEST_F(Operands, NestingIsLimited) {
  std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
  std::string rest = deep, value;
  EXPECT_FALSE(interp::ReadOperand(rest, value));
  std::string minus = "(" + std::string(100000, '-') + "1)";
  rest = minus;
  EXPECT_FALSE(interp::ReadOperand(rest, value));
  std::string fine = std::string(50, '(') + "7" + std::string(50, ')');
  rest = fine;
  EXPECT_TRUE(interp::ReadOperand(rest, value));
  EXPECT_EQ(value, "7");
}

TEST_F(Operands, ReadOperandForms) {
  Set('A', "5");
  Set('B', "six");
  const ExpressionCase cases[] = {
      {"-12 x", true, "-12", "x"},
      {"12.5", true, "12", ".5"},
      {"- 3", true, "-", "3"},              // a lone minus reads as itself
      {"--3", true, "-", "-3"},
      {"\"a b\" c", true, "a b", "c"},
      {"\"a\"\"b\"", true, "a\"b", ""},      // a doubled quote stands for one
      {"\"\"", true, "", ""},
      {"\"\"\"\"", true, "\"", ""},
      {"\"open", true, "open", ""},         // to the end without a closing quote
      {"AB", true, "5", "B"},               // one letter only
      {"a", true, "5", ""},
      {"  b  c", true, "six", "c"},
      {"$NEW_NAME", true, "", ""},          // a new name reads empty
      {"$", false, "", ""},
      {"", false, "", ""},
      {"   ", false, "", ""},
      {"#1", false, "", ""},
      {"\xE9", false, "", ""},              // accented letters are not variables
      {"[x]", false, "", ""},
  };
  for (const ExpressionCase& c : cases) {
    std::string rest = c.text, value;
    bool reads = interp::ReadOperand(rest, value);
    EXPECT_EQ(reads, c.reads) << c.text;
    if (!reads) continue;
    EXPECT_EQ(value, c.value) << c.text;
    EXPECT_EQ(rest, c.rest) << c.text;
  }
}

struct NameCase {
  const char* text;
  bool reads;
  int slot;
  const char* rest;
};

TEST_F(Operands, ReadVariableName) {
  const NameCase cases[] = {
      {"A", true, 'A', ""},
      {"z  = 1", true, 'Z', "= 1"},
      {"A_", true, 'A', "_"},
      {"AB", false, 0, ""},
      {"A1", false, 0, ""},
      {"$abc_1 x", true, interp::kFirstNamedSlot, "x"},
      {"$ABC_1", true, interp::kFirstNamedSlot, ""},  // names are case-insensitive
      {"$other", true, interp::kFirstNamedSlot + 1, ""},
      {"$", false, 0, ""},
      {"$ x", false, 0, ""},
      {"1", false, 0, ""},
      {"", false, 0, ""},
  };
  for (const NameCase& c : cases) {
    std::string rest = c.text;
    int slot = 0;
    bool reads = interp::ReadVariableName(rest, slot);
    EXPECT_EQ(reads, c.reads) << c.text;
    if (!reads) {
      EXPECT_EQ(rest, c.text);
      continue;
    }
    EXPECT_EQ(slot, c.slot) << c.text;
    EXPECT_EQ(rest, c.rest) << c.text;
  }
}

TEST_F(Operands, The102ndNameHasNoSlot) {
  for (int i = 0; i < interp::kMaxNamedVariables; ++i) {
    std::string rest = "$V" + std::to_string(i);
    int slot = 0;
    ASSERT_TRUE(interp::ReadVariableName(rest, slot)) << i;
    EXPECT_EQ(slot, interp::kFirstNamedSlot + i);
  }
  std::string rest = "$ONE_TOO_MANY", value;
  int slot = 0;
  EXPECT_FALSE(interp::ReadVariableName(rest, slot));
  EXPECT_FALSE(interp::ReadOperand(rest, value));
  rest = "($ONEMORE + 1)";
  EXPECT_FALSE(interp::ReadOperand(rest, value));
  rest = "$V100";  // known names still work
  EXPECT_TRUE(interp::ReadVariableName(rest, slot));
  EXPECT_EQ(slot, interp::kLastSlot);
}

TEST_F(Operands, ReadFileNumberAndListName) {
  struct Case {
    const char* text;
    bool reads;
    const char* read;
    const char* rest;
  };
  const Case numbers[] = {
      {"#0", true, "0", ""}, {"#9  x", true, "9", "x"}, {"#10", false, "", ""},
      {"#a", false, "", ""}, {"#", false, "", ""},      {"3", false, "", ""},
  };
  for (const Case& c : numbers) {
    std::string rest = c.text;
    char digit = 0;
    bool reads = interp::ReadFileNumber(rest, digit);
    EXPECT_EQ(reads, c.reads) << c.text;
    if (!reads) continue;
    EXPECT_EQ(std::string(1, digit), c.read) << c.text;
    EXPECT_EQ(rest, c.rest) << c.text;
  }
  const Case lists[] = {
      {"[Nomes] CRIA", true, "Nomes", "CRIA"},
      {"[a b]x", true, "a b", "x"},
      {"[]]", true, "]", ""},            // a "]" first is part of the name
      {"[]", false, "", ""},
      {"[x", false, "", ""},
      {"[", false, "", ""},
      {"x]", false, "", ""},
      {"", false, "", ""},
  };
  for (const Case& c : lists) {
    std::string rest = c.text, name;
    bool reads = interp::ReadListName(rest, name);
    EXPECT_EQ(reads, c.reads) << c.text;
    if (!reads) continue;
    EXPECT_EQ(name, c.read) << c.text;
    EXPECT_EQ(rest, c.rest) << c.text;
  }
}

TEST_F(Operands, NumberText) {
  EXPECT_EQ(interp::NumberText(0), "0");
  EXPECT_EQ(interp::NumberText(-15), "-15");
  EXPECT_EQ(interp::NumberText(INT64_MIN), "-9223372036854775808");
}

}  // namespace
