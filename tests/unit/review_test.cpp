// The screen review on the headless console: keys come from a key script,
// what is heard is read back from the log.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "console/review.h"
#include "speech/speech.h"
#include "speech_support.h"

namespace {

using speech_support::LogCapture;
using speech_support::VoiceFolder;

// Recordings of the blank, the digits and the letters: what the review says
// key by key. Signs have none, so a spoken text plays no letter files.
std::vector<std::string> LetterKeys() {
  std::vector<std::string> keys = {"_32", "_DEL"};
  for (int code = '0'; code <= '9'; ++code) keys.push_back("_" + std::to_string(code));
  for (int code = 'A'; code <= 'Z'; ++code) keys.push_back("_" + std::to_string(code));
  for (int code = 'a'; code <= 'z'; ++code) keys.push_back("_" + std::to_string(code));
  return keys;
}

class ReviewTest : public testing::Test {
 protected:
  ReviewTest() : voice_(LetterKeys(), {{"$A", 100, 10}}, "(A)=a|\n", "") {
    speech::SpeechInit(3, "");
    console::ResetReviewForTests();
  }
  ~ReviewTest() override {
    speech::SpeechEnd();
    unsetenv("TESSEL_KEYS");
    console::ResetReviewForTests();
  }

  // A fresh console that takes `keys` from its key script, showing `rows`
  // from row 1, with the text cursor at (column, row).
  void Start(const std::string& keys, const std::vector<std::string>& rows, int column = 1, int row = 1) {
    voice_.folder().Write("keys", keys);
    setenv("TESSEL_KEYS", (voice_.folder().path() / "keys").c_str(), 1);
    console::ResetForTests();
    for (const std::string& text : rows) console::ConsoleWriteLine(text);
    console::GotoXY(column, row);
  }

  VoiceFolder voice_;
};

// What the log says was heard from the review's opening beep on (that beep
// left out): texts spoken and spelled, files played (by their names alone),
// beeps and clicks.
std::vector<std::string> Heard(const LogCapture& log) {
  std::vector<std::string> heard;
  bool started = false;
  for (std::string line : log.Lines()) {
    if (!started) {
      started = line == "beep";
      continue;
    }
    if (line.rfind("play ", 0) == 0) {
      size_t name = line.find_last_of("/\\");
      heard.push_back("play " + line.substr(name + 1));
    } else if (line.rfind("speak ", 0) == 0 || line.rfind("spell ", 0) == 0 || line == "beep" || line == "click") {
      heard.push_back(line);
    }
  }
  return heard;
}

std::vector<std::string> Spoken(const LogCapture& log) {
  std::vector<std::string> spoken;
  for (const std::string& line : Heard(log))
    if (line.rfind("speak ", 0) == 0) spoken.push_back(line);
  return spoken;
}

TEST_F(ReviewTest, Keys) {
  struct Case {
    const char* name;
    std::vector<std::string> rows;
    const char* keys;
    std::vector<std::string> heard;  // after the review's opening beep
  };
  const Case cases[] = {
      {"a field ends at the colon",
       {"Nome: Maria"},
       "{Ctrl+Right}{Ctrl+F1}{Esc}",
       {"click", "speak Maria", "click", "beep", "beep"}},
      {"go to row 12, column 5",
       {},
       "{F6}1205{Ctrl+K}{Esc}",
       {"speak Entre linha e coluna", "play _49.wav", "play _50.wav", "play _48.wav", "play _53.wav",
        "speak 12 5", "beep", "beep"}},
      {"go to with a letter moves nothing",
       {},
       "{Right}{F6}1x{Ctrl+L}{Esc}",
       {"play _32.wav", "speak Entre linha e coluna", "play _49.wav", "beep", "beep", "speak 1 2", "beep",
        "beep"}},
      {"a word with a vowel is spoken, one of consonants spelled",
       {"XPTO BCD"},
       "{F1}{F1}{Esc}",
       {"speak XPTO", "spell BCD", "play _66.wav", "play _67.wav", "play _68.wav", "beep", "beep"}},
      {"a rule of signs is heard as three",
       {std::string(20, '=')},
       "{F1}{Esc}",
       {"speak ===", "beep", "beep"}},
      {"up on the first row and left on the first column beep",
       {"abc"},
       "{Up}{Left}{Ctrl+K}{Esc}",
       {"beep", "beep", "speak 1 1", "beep", "beep"}},
      {"IT before the first cell beeps",
       {"abc"},
       "it{Esc}",
       {"beep", "beep", "beep"}},
      {"IT reads the rows above and the line up to the cursor",
       {"um", "dois tres"},
       "{F6}0206it{Esc}",
       {"speak Entre linha e coluna", "play _48.wav", "play _50.wav", "play _48.wav", "play _54.wav", "speak um",
        "click", "speak dois", "click", "beep", "beep"}},
      {"an unknown two-letter command",
       {"abc"},
       "tx{Esc}",
       {"beep", "click", "beep", "beep", "beep"}},
      {"a search that fails beeps twice",
       {"um dois", "tres"},
       "{F5}zz{Enter}{Esc}",
       {"speak Qual texto", "play _122.wav", "play _122.wav", "beep", "beep", "beep", "beep"}},
      {"a search with an empty text beeps twice",
       {"um dois"},
       "{F5}{Enter}{Esc}",
       {"speak Qual texto", "beep", "beep", "beep", "beep"}},
      {"a search finds the text and searching again the next one",
       {"um dois", "dois tres"},
       "{F5}do{Backspace}o{Enter}{Ctrl+K}{Ctrl+F5}{Ctrl+K}{Ctrl+F5}{Esc}",
       {"speak Qual texto", "play _100.wav", "play _111.wav", "play _DEL.wav", "play _111.wav",
        "play _111.wav", "click", "speak 1 4", "click", "speak 2 1", "beep", "beep", "beep", "beep"}},
      {"TL reads the line and the cursor stays",
       {"um dois"},
       "{Right}tl{Ctrl+K}{Esc}",
       {"play _117.wav", "speak um", "speak dois", "click", "speak 1 2", "beep", "beep"}},
      {"FL reads from the cursor to the end of the line",
       {"um dois tres"},
       "{Ctrl+Right}fl{Esc}",
       {"click", "speak dois", "speak tres", "click", "beep", "beep"}},
      {"IC reads the field up to the cursor",
       {"Nome: Maria Rosa"},
       "{Ctrl+Right}{Ctrl+Right}ic{Esc}",
       {"click", "click", "speak Maria", "speak R", "click", "beep", "beep"}},
      {"Down reads the next line; below the last row it beeps",
       {"um", "dois"},
       "{Down}{PgDn}{Down}{Esc}",
       {"click", "speak dois", "click", "click", "click", "beep", "beep", "beep"}},
      {"Tab goes past the field, Shift+Tab back before it",
       {"ab:cd:ef"},
       "{Tab}{Ctrl+K}{Shift+Tab}{Ctrl+K}{Esc}",
       {"click", "speak 1 4", "click", "speak 1 2", "beep", "beep"}},
      {"Ctrl+PgDn goes to the last letter",
       {"um", "", "tres 45"},
       "{Ctrl+PgDn}{Ctrl+K}{Esc}",
       {"speak tres", "speak 45", "click", "speak 3 4", "beep", "beep"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LogCapture log;
    Start(c.keys, c.rows);
    console::ReviewScreen();
    EXPECT_EQ(Heard(log), c.heard);
  }
}

TEST_F(ReviewTest, LeavesScreenAndCursorAsTheyWere) {
  Start("{Down}{Down}{Right}{Right}tt{Esc}", {"um", "dois"}, 7, 4);
  std::string before = console::ScreenRow(1) + console::ScreenRow(2);
  console::ReviewScreen();
  EXPECT_EQ(console::ScreenRow(1) + console::ScreenRow(2), before);
  EXPECT_EQ(console::WhereX(), 7);
  EXPECT_EQ(console::WhereY(), 4);
}

TEST_F(ReviewTest, CtrlCCopiesTheScreen) {
  Start("{Ctrl+C}{Esc}", {"um", "dois"});
  console::ReviewScreen();
  std::string copied = console::PasteFromClipboard(4096);
  ASSERT_EQ(copied.size(), 25u * 82u);
  EXPECT_EQ(copied.substr(0, 82), "um" + std::string(78, ' ') + "\r\n");
  EXPECT_EQ(copied.substr(82, 82), "dois" + std::string(76, ' ') + "\r\n");
}

TEST_F(ReviewTest, FieldEndsWhereTheColourChanges) {
  Start("{End}{Left}{Ctrl+F1}{Esc}", {});
  console::GotoXY(1, 1);
  console::TextColor(14);
  console::ConsoleWrite("Nome");
  console::TextColor(15);
  console::ConsoleWrite("Maria");
  console::TextColor(7);
  console::GotoXY(1, 1);
  LogCapture log;
  console::ReviewScreen();
  EXPECT_EQ(Spoken(log), std::vector<std::string>{"speak Maria"});
}

TEST_F(ReviewTest, SearchTextIsKeptForTheNextReview) {
  Start("{F5}dois{Enter}{Esc}", {"um dois", "tres dois"});
  console::ReviewScreen();
  LogCapture log;
  Start("{Ctrl+F5}{Ctrl+K}{Esc}", {"um dois", "tres dois"}, 1, 2);
  console::ReviewScreen();
  EXPECT_EQ(Spoken(log), std::vector<std::string>{"speak 2 6"});
}

}  // namespace
