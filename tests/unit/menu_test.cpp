// The popup menu and the list box on the headless console: keys come from a
// key script, what is heard is read back from the log.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "automation/menu_commands.h"
#include "console/console.h"
#include "console/keyboard.h"
#include "console/menu.h"
#include "interpreter/operands.h"
#include "speech/speech.h"
#include "speech_support.h"

namespace {

using speech_support::LogCapture;
using speech_support::VoiceFolder;

class MenuTest : public testing::Test {
 protected:
  MenuTest() : voice_({"_65", "_98", "_99"}, {{"$A", 100, 10}}, "(A)=a|\n", "") {
    voice_.folder().Write("mensagens/ABRIR.wav", speech_support::WavFile(speech_support::Samples(100, 140)));
    speech::SpeechInit(3, (voice_.folder().path() / "mensagens").string());
    console::ResetMenusForTests();
  }
  ~MenuTest() override {
    speech::SpeechEnd();
    unsetenv("TESSEL_KEYS");
    console::ResetMenusForTests();
  }

  // A fresh console that takes `keys` from its key script.
  void Start(const std::string& keys) {
    voice_.folder().Write("keys", keys);
    setenv("TESSEL_KEYS", (voice_.folder().path() / "keys").c_str(), 1);
    console::ResetForTests();
  }

  VoiceFolder voice_;
};

// Beeps, clicks, texts spoken and spelled, and recorded files played (by
// their names alone), in order.
std::vector<std::string> Heard(const LogCapture& log) {
  std::vector<std::string> heard;
  for (const std::string& line : log.Lines()) {
    if (line.rfind("play ", 0) == 0) heard.push_back("play " + line.substr(line.find_last_of("/\\") + 1));
    else if (line.rfind("speak ", 0) == 0 || line.rfind("spell ", 0) == 0 || line == "beep" || line == "click")
      heard.push_back(line);
  }
  return heard;
}

TEST_F(MenuTest, PopupKeys) {
  struct Case {
    const char* name;
    std::vector<std::string> options;
    const char* keys;
    int result;
    std::vector<std::string> heard;
  };
  const Case cases[] = {
      {"a letter goes to the next option beginning with it, then beeps at the end",
       {"Abrir", "Buscar", "  bloco", "Copiar"},
       "bbb{Up}{Enter}",
       4,
       {"speak Abrir", "speak Buscar", "speak   bloco", "beep", "speak Copiar"}},
      {"no option stays current after a search that fails",
       {"Abrir", "Buscar"},
       "x{Enter}",
       0,
       {"speak Abrir", "beep", "beep"}},
      {"Down past the last option beeps; Enter then chooses nothing",
       {"um", "dois"},
       "{End}{Down}{Enter}",
       0,
       {"speak um", "speak dois", "beep", "beep"}},
      {"Up before the first option beeps; Down comes back to it",
       {"um", "dois"},
       "{Up}{Down}{Enter}",
       1,
       {"speak um", "beep", "speak um"}},
      {"digits and signs search too; Home goes back to the first",
       {"1 um", "2 dois", "+ mais"},
       "+{Home}2{Enter}",
       2,
       {"speak 1 um", "speak + mais", "speak 1 um", "speak 2 dois"}},
      {"Right spells the option; other keys say it again",
       {"um", "dois"},
       "{Right}{F3}{Enter}",
       1,
       {"speak um", "spell um", "speak um"}},
      {"Esc chooses nothing",
       {"um", "dois"},
       "{Down}{Esc}",
       0,
       {"speak um", "speak dois"}},
      {"PgDn moves ten options, End to the last",
       {"o1", "o2", "o3", "o4", "o5", "o6", "o7", "o8", "o9", "o10", "o11", "o12"},
       "{PgDn}{PgDn}{Up}{Enter}",
       12,
       {"speak o1", "speak o11", "beep", "speak o12"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.keys);
    LogCapture log;
    console::MenuOpen(10, 2, 20, 1, static_cast<int>(c.options.size()));
    for (const std::string& option : c.options) console::MenuAdd("", option);
    EXPECT_EQ(console::MenuRun(), c.result);
    EXPECT_EQ(console::MenuChosenText(), c.result > 0 ? c.options[c.result - 1] : "");
    EXPECT_EQ(Heard(log), c.heard);
  }
}

TEST_F(MenuTest, PopupSaysRecordedMessageWhenThereIsOne) {
  Start("{Down}{Enter}");
  LogCapture log;
  console::MenuOpen(1, 1, 20, 1, 2);
  console::MenuAdd("ABRIR", "Abrir");
  console::MenuAdd("FECHAR", "Fechar");
  EXPECT_EQ(console::MenuRun(), 2);
  EXPECT_EQ(Heard(log), (std::vector<std::string>{"play ABRIR.wav", "speak Fechar"}));
}

TEST_F(MenuTest, PopupPutsTheScreenBack) {
  Start("{Down}{Enter}");
  console::TextColor(12);
  for (int row = 1; row <= 25; ++row) console::ConsoleWrite(std::string(80, static_cast<char>('a' + row % 26)));
  console::TextColor(7);
  console::GotoXY(5, 6);
  std::vector<std::string> rows;
  for (int row = 1; row <= 25; ++row) rows.push_back(console::ScreenRow(row));
  // Wider than the screen and more options than rows: it is fitted.
  console::MenuOpen(70, 3, 200, 1, 40);
  for (int i = 0; i < 40; ++i) console::MenuAdd("", std::string(100, 'x'));
  EXPECT_EQ(console::MenuRun(), 2);
  for (int row = 1; row <= 25; ++row) EXPECT_EQ(console::ScreenRow(row), rows[row - 1]) << row;
  EXPECT_EQ(console::ScreenAttr(80, 25), 12);
  EXPECT_EQ(console::CurrentAttribute(), 7);
  EXPECT_EQ(console::WhereX(), 5);
  EXPECT_EQ(console::WhereY(), 6);
}

TEST_F(MenuTest, EmptyPopupBeepsAndChoosesNothing) {
  Start("{Enter}");
  LogCapture log;
  console::MenuOpen(1, 1, 10, 1, 0);
  EXPECT_EQ(console::MenuRun(), 0);
  // No option is current: the first announcement and Enter both beep.
  EXPECT_EQ(Heard(log), (std::vector<std::string>{"beep", "beep"}));
}

TEST_F(MenuTest, MakeRoomLeavesFreeRowsBelow) {
  Start("");
  console::GotoXY(7, 24);
  console::ConsoleWrite("x");
  console::MakeRoom(5);
  EXPECT_EQ(console::WhereX(), 8);
  EXPECT_EQ(console::WhereY(), 20);
  EXPECT_EQ(console::ScreenChar(7, 20), 'x');
}

// --- list box ----------------------------------------------------------------------

TEST_F(MenuTest, ListBoxKeys) {
  struct Case {
    const char* name;
    const char* keys;
    int start;
    console::ListChoice choice;
    std::vector<bool> marks;
  };
  const Case cases[] = {
      {"Enter on the start item", "{Enter}", 2, {2, 13, 0, true}, {false, false, false}},
      {"* then / leaves nothing marked", "*/{Down}{Enter}", 1, {2, 13, 0, true}, {false, false, false}},
      {"blank toggles, + and - mark and unmark", " {Down}+{Down}+-{Esc}", 1, {3, 27, 0, true}, {true, true, false}},
      {"Up on the first item leaves none current", "{Up}{Enter}", 1, {0, 13, 0, false}, {false, false, false}},
      {"Down past the last item leaves none current", "{End}{Down}x", 1, {4, 'x', 0, false}, {false, false, false}},
      {"F1 and Left end the choice", "{Down}{F1}", 1, {2, 0, 59, true}, {false, false, false}},
      {"Left ends the choice", "{Left}", 3, {3, 0, 75, true}, {false, false, false}},
      {"Ctrl+F1 ends the choice", "{Ctrl+F1}", 1, {1, 0, 94, true}, {false, false, false}},
      {"a start outside the items", "{Enter}", 9, {4, 13, 0, false}, {false, false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.keys);
    console::ListCreate(5, 5, 20, 6);
    for (const char* item : {"um", "dois", "tres"}) console::ListAdd(item);
    console::ListChoice choice = console::ListRun(c.start, false);
    EXPECT_EQ(choice.item, c.choice.item);
    EXPECT_EQ(choice.key, c.choice.key);
    EXPECT_EQ(choice.extended, c.choice.extended);
    EXPECT_EQ(choice.valid, c.choice.valid);
    for (int item = 1; item <= 3; ++item) EXPECT_EQ(console::ListGet(item).marked, c.marks[item - 1]) << item;
    console::ListClose();
  }
}

TEST_F(MenuTest, ListBoxDrawsSpeaksAndCloses) {
  Start(" {Down}{Down}{Up}{Enter}");
  LogCapture log;
  console::ListCreate(3, 2, 8, 5);  // four rows, three items
  for (const char* item : {"um", "dois longo", "tres"}) console::ListAdd(item);
  const int text_colour = console::CurrentAttribute() & 0x0F;
  console::ListChoice choice = console::ListRun(1, true);
  EXPECT_EQ(choice.item, 2);
  // The marked item is announced after a beep; the current one in yellow,
  // the marked one in green, the others in the text colour.
  EXPECT_EQ(Heard(log), (std::vector<std::string>{"speak um", "beep", "speak um", "speak dois longo", "speak tres",
                                                  "speak dois longo"}));
  EXPECT_EQ(console::ScreenRow(2).substr(2, 6), "um    ");
  EXPECT_EQ(console::ScreenRow(3).substr(2, 6), "dois l");
  EXPECT_EQ(console::ScreenAttr(3, 2) & 0x0F, 2);
  EXPECT_EQ(console::ScreenAttr(3, 3) & 0x0F, 14);
  EXPECT_EQ(console::ScreenAttr(3, 4) & 0x0F, text_colour);
  EXPECT_EQ(console::ListGet(1).text, "um");
  EXPECT_TRUE(console::ListGet(1).marked);
  EXPECT_EQ(console::ListGet(4).text, "");
  EXPECT_EQ(console::ListGet(0).text, "");
  console::ListClose();
  for (int row = 2; row <= 5; ++row) EXPECT_EQ(console::ScreenRow(row).substr(2, 6), "      ") << row;
  EXPECT_EQ(console::WhereX(), 3);
  EXPECT_EQ(console::WhereY(), 2);
  EXPECT_FALSE(console::ListExists());
}

TEST_F(MenuTest, MenuCommandChecksItsOperands) {
  Start("");
  interp::ResetVariables();
  struct Case { const char* arguments; bool ok; };
  const Case cases[] = {
      {"EXECUTA P K T", false},  // no menu yet
      {"ADICIONA \"um\"", false},
      {"TERMINA", true},         // nothing to close
      {"CRIA 1 1 20", false},
      {"CRIA 1 x 20 5", false},
      {"CRIA 1 1 20 5 6", false},
      {"CRIA 1 1 20 5", true},
      {"ADICIONA \"um\"", true},
      {"ADICIONA", false},
      {"EXECUTA P K", false},
      {"APAGA", false},
      {"TERMINA 1", false},
      {"termina", true},
  };
  for (const Case& c : cases) EXPECT_EQ(automation::CmdMenu(c.arguments), c.ok) << c.arguments;
}

}  // namespace
