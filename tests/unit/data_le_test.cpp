// Tests of LE: single keys with and without the modifier prefix, plain,
// silent and hidden lines, and lines from slots.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "data/data_module.h"
#include "data/file_table.h"
#include "interpreter/input_commands.h"
#include "interpreter/operands.h"
#include "platform/keyscript.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using test_support::HeadlessConsole;

using test_support::Type;

class DataLe : public testing::Test {
 protected:
  DataLe() {
    interp::ResetVariables();
    data::DataInit();
  }
  ~DataLe() override {
    data::DataEnd();
    interp::SetModifierReader(nullptr);
  }
  HeadlessConsole headless_;
};

TEST_F(DataLe, KeyTexts) {
  struct Case {
    const char* keys;
    const char* arguments;
    const char* text;
  } cases[] = {
      {"a", "K &", "a"},
      {"\xC3\xA7", "K &", "\xE7"},
      {"{Enter}", "K &", "#13"},
      {"{Esc}", "K&", "#27"},
      {"{F1}", "K &", "#0#59"},
      {"{Enter}", "TECLA K", "000#13"},
      {"b", "K TECLA &", "000#98"},
      {"{Up}", "tecla K &", "000#0#72"},
      {"c", "MUDO K &", "c"},
      {"d", "SENHA K &", "d"},
  };
  for (const Case& c : cases) {
    Type(c.keys);
    ASSERT_TRUE(interp::CmdLe(c.arguments)) << c.arguments;
    EXPECT_EQ(interp::Variable('K'), c.text) << c.keys << " " << c.arguments;
    EXPECT_EQ(console::QueuedKeys(), 0) << c.keys;
  }
}

TEST_F(DataLe, ModifierPrefixComesFromTheKeyboard) {
  interp::SetModifierReader([] {
    interp::HeldModifiers held;
    held.ctrl = true;
    return held;
  });
  Type("{Up}");
  ASSERT_TRUE(interp::CmdLe("TECLA K"));
  EXPECT_EQ(interp::Variable('K'), "010#0#72");
  interp::SetModifierReader([] {
    interp::HeldModifiers held;
    held.shift = held.alt = true;
    return held;
  });
  Type("A");
  ASSERT_TRUE(interp::CmdLe("TECLA K"));
  EXPECT_EQ(interp::Variable('K'), "101#65");
}

TEST_F(DataLe, LinesAndDiscards) {
  Type("esquecida{Enter}zsilencio{Enter}segredo{Backspace}O{F1}{Enter}linha{Enter}");
  ASSERT_TRUE(interp::CmdLe(""));
  ASSERT_TRUE(interp::CmdLe("&"));
  ASSERT_TRUE(interp::CmdLe("MUDO A"));
  EXPECT_EQ(interp::Variable('A'), "silencio");
  ASSERT_TRUE(interp::CmdLe("SENHA S"));
  EXPECT_EQ(interp::Variable('S'), "segredO");
  ASSERT_TRUE(interp::CmdLe("$LINHA"));
  std::string name = "$LINHA";
  int slot = 0;
  ASSERT_TRUE(interp::ReadVariableName(name, slot));
  EXPECT_EQ(interp::Variable(slot), "linha");
  // The secret never reaches the screen.
  for (int row = 1; row <= 25; ++row) EXPECT_EQ(console::ScreenRow(row).find("segred"), std::string::npos);
  EXPECT_EQ(console::ScreenRow(2), std::string("silencio") + std::string(72, ' '));
}

TEST_F(DataLe, LinesFromSlots) {
  test_support::TempFolder folder;
  folder.Write("l.txt", "um\r\ndois");
  std::string name = (folder.path() / "l.txt").string();
  ASSERT_TRUE(data::OpenFileSlot('1', name, false));
  data::SetIoStatus(7);
  ASSERT_TRUE(interp::CmdLe("#1 L"));
  EXPECT_EQ(interp::Variable('L'), "um");
  EXPECT_EQ(data::IoStatus(), 0);
  ASSERT_TRUE(interp::CmdLe("#1 L &"));  // a slot reads a line even in single-key mode
  EXPECT_EQ(interp::Variable('L'), "dois");
  ASSERT_TRUE(interp::CmdLe("#1 L"));
  EXPECT_EQ(interp::Variable('L'), "");
  EXPECT_EQ(data::IoStatus(), 1);

  EXPECT_FALSE(interp::CmdLe("#2 L"));  // not open: said
  EXPECT_FALSE(interp::CmdLe("#1"));    // no variable: said
  EXPECT_FALSE(interp::CmdLe("#12 L"));
  EXPECT_FALSE(interp::CmdLe("#1 \"x\""));
  bool said = false;
  for (int row = 1; row <= 25; ++row)
    said = said || console::ScreenRow(row).find("Erro no processamento de arquivo") != std::string::npos;
  EXPECT_TRUE(said);
}

TEST_F(DataLe, FormsNotBuiltHereFail) {
  for (const char* arguments : {"MOUSE X Y", "RATO X Y"})
    EXPECT_FALSE(interp::CmdLe(arguments)) << arguments;
}

TEST_F(DataLe, ConsoleWithoutAChildGivesNothing) {
  interp::SetVariable('V', "antes");
  EXPECT_TRUE(interp::CmdLe("CONSOLE V"));
  EXPECT_EQ(interp::Variable('V'), "");
  EXPECT_FALSE(interp::CmdLe("CONSOLE"));
}

}  // namespace
