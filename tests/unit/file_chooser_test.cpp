// The script file chooser over real folders, on the headless console: keys
// come from a key script, what is heard is read back from the log.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "console/console.h"
#include "interpreter/file_chooser.h"
#include "platform/files.h"
#include "speech/speech.h"
#include "speech_support.h"

namespace {

using speech_support::LogCapture;
using speech_support::VoiceFolder;
using test_support::TempFolder;

// Runs in a folder of its own holding a.cmd, B.CMD, ção.cmd, notas.txt, a
// folder pasta.cmd and a folder sub with z.cmd.
class ChooserTest : public testing::Test {
 protected:
  ChooserTest() : voice_({"_97", "_65", "_67"}, {{"$A", 100, 10}}, "(A)=a|\n", "") {
    for (const char* name : {"a.cmd", "B.CMD", "\xC3\xA7\xC3\xA3o.cmd", "notas.txt", "sub/z.cmd"})
      files_.Write(name, "ESCREVE 1\n");
    std::filesystem::create_directories(files_.path() / "pasta.cmd");
    old_folder_ = std::filesystem::current_path();
    std::filesystem::current_path(files_.path());
    speech::SpeechInit(3, "");
  }
  ~ChooserTest() override {
    speech::SpeechEnd();
    unsetenv("TESSEL_KEYS");
    std::filesystem::current_path(old_folder_);
  }

  void Start(const std::string& keys) {
    voice_.folder().Write("keys", keys);
    setenv("TESSEL_KEYS", (voice_.folder().path() / "keys").c_str(), 1);
    console::ResetForTests();
  }

  VoiceFolder voice_;
  TempFolder files_;
  std::filesystem::path old_folder_;
};

// Beeps, clicks and the texts spoken and spelled, in order.
std::vector<std::string> Heard(const LogCapture& log) {
  std::vector<std::string> heard;
  for (const std::string& line : log.Lines())
    if (line.rfind("speak ", 0) == 0 || line.rfind("spell ", 0) == 0 || line == "beep" || line == "click")
      heard.push_back(line);
  return heard;
}

TEST(FoldedNames, AccentsAndCaseFoldAway) {
  struct Case { const char* a; const char* b; bool before; };
  const Case cases[] = {
      {"a.cmd", "B.CMD", true},
      {"B.CMD", "\xE7\xE3o.cmd", true},   // ç folds to C
      {"\xE7\xE3o.cmd", "d.cmd", true},
      {"\xC9ter", "f", true},             // É folds to E
      {"\xF1", "o", true},                // ñ folds to N
      {"\x87", "d", true},                // the DOS ç folds to C
      {"\xFF", "z", true},                // ÿ folds to Y
      {"z", "\xAA", true},                // a sign folds past every letter
      {"\xA3", "v", true},                // the DOS ú folds to U
      {"abc", "ABC", false},
      {"ABC", "abc", false},
      {"ab", "abc", true},
  };
  for (const Case& c : cases) EXPECT_EQ(interp::FoldedNameBefore(c.a, c.b), c.before) << c.a << " " << c.b;
}

TEST_F(ChooserTest, Keys) {
  const std::string cao = "\xE7\xE3o.cmd";
  struct Case {
    const char* name;
    const char* keys;
    std::string chosen;
    int last_key;
    std::vector<std::string> heard;
  };
  const Case cases[] = {
      {"the names in folded order", "{Down}{Down}{Enter}", cao, 13,
       {"speak a.cmd", "speak B.CMD", "speak \xC3\xA7\xC3\xA3o.cmd"}},
      {"Up on the first entry beeps until Down", "{Up}{Down}{Enter}", "a.cmd", 13,
       {"speak a.cmd", "beep", "speak a.cmd"}},
      {"F5 goes to the next name beginning with the letter", "{F5}b{Enter}", "B.CMD", 13,
       {"speak a.cmd", "speak B.CMD"}},
      {"a search past the last match beeps; Enter then gives nothing", "{F5}b{Ctrl+F5}{Enter}", "", 13,
       {"speak a.cmd", "speak B.CMD", "beep", "beep"}},
      {"Tab goes back to typing", "{Down}{Tab}", "@TAB@", 9, {"speak a.cmd", "speak B.CMD"}},
      {"Esc cancels", "{Down}{Esc}", "", 27, {"speak a.cmd", "speak B.CMD"}},
      {"Right spells the name, Left the short name", "{Right}{Down}{Down}{Left}{Enter}", cao, 13,
       {"speak a.cmd", "spell a.cmd", "speak B.CMD", "speak \xC3\xA7\xC3\xA3o.cmd", "spell \xC3\x87\xC3\x83O.CMD"}},
      {"a marked entry is announced after a beep", "+{Down}{Up}{Enter}", "a.cmd", 13,
       {"speak a.cmd", "beep", "speak a.cmd", "speak B.CMD", "beep", "speak a.cmd"}},
      {"Shift+Down marks as it goes", "{Shift+Down}{Up}{Enter}", "a.cmd", 13,
       {"speak a.cmd", "beep", "beep", "speak B.CMD", "beep", "speak a.cmd"}},
      {"End and Home; other keys say the entry again", "{End}x{Home}{Enter}", "a.cmd", 13,
       {"speak a.cmd", "speak \xC3\xA7\xC3\xA3o.cmd", "speak \xC3\xA7\xC3\xA3o.cmd", "speak a.cmd"}},
      {"PgDn past the end beeps", "{PgDn}{Enter}", "", 13, {"speak a.cmd", "beep", "beep"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.keys);
    LogCapture log;
    interp::ChosenFile chosen = interp::ChooseFile(1, 2, 80, 21, "*.cmd");
    EXPECT_EQ(chosen.name, c.chosen);
    EXPECT_EQ(chosen.last_key, c.last_key);
    EXPECT_EQ(Heard(log), c.heard);
  }
}

TEST_F(ChooserTest, PutsScreenCursorAndFolderBack) {
  Start("{Down}{Enter}");
  console::TextColor(12);
  for (int row = 1; row <= 25; ++row) console::ConsoleWrite(std::string(80, static_cast<char>('a' + row)));
  console::TextColor(7);
  console::GotoXY(30, 24);
  std::vector<std::string> rows;
  for (int row = 1; row <= 25; ++row) rows.push_back(console::ScreenRow(row));
  std::string folder = platform::files::CurrentDirectory();
  // The host opens it at the cursor, 20 rows high: past the last row.
  interp::ChosenFile chosen = interp::ChooseFile(30, 24, 80, 43, "*.cmd");
  EXPECT_EQ(chosen.name, "B.CMD");
  for (int row = 1; row <= 25; ++row) EXPECT_EQ(console::ScreenRow(row), rows[row - 1]) << row;
  EXPECT_EQ(console::ScreenAttr(80, 25), 12);
  EXPECT_EQ(console::CurrentAttribute(), 7);
  EXPECT_EQ(console::WhereX(), 30);
  EXPECT_EQ(console::WhereY(), 24);
  EXPECT_EQ(platform::files::CurrentDirectory(), folder);
}

TEST_F(ChooserTest, AnotherFolderIsNamedInTheResult) {
  Start("{Enter}");
  std::string folder = platform::files::CurrentDirectory();
  interp::ChosenFile chosen = interp::ChooseFile(1, 1, 80, 20, "sub\\*");
  EXPECT_EQ(chosen.name, folder + "/sub\\z.cmd");
  EXPECT_TRUE(platform::files::IsRegularFile(chosen.name));
  EXPECT_EQ(platform::files::CurrentDirectory(), folder);
}

TEST_F(ChooserTest, NothingToChooseBeepsAndGivesNothing) {
  std::filesystem::create_directories(files_.path() / "vazia");
  std::filesystem::create_directories(files_.path() / "fechada");
  files_.Write("fechada/x.cmd", "");
  chmod((files_.path() / "fechada").c_str(), 0);
  bool root = geteuid() == 0;  // root reads any folder
  const char* patterns[] = {"*.bat", "vazia\\*.cmd", "nao_existe\\*.cmd", "fechada\\*.cmd"};
  for (const char* pattern : patterns) {
    if (root && std::string(pattern).rfind("fechada", 0) == 0) continue;
    SCOPED_TRACE(pattern);
    Start("");
    LogCapture log;
    std::string folder = platform::files::CurrentDirectory();
    interp::ChosenFile chosen = interp::ChooseFile(1, 1, 80, 20, pattern);
    EXPECT_EQ(chosen.name, "");
    EXPECT_EQ(chosen.last_key, 0);
    EXPECT_EQ(Heard(log), std::vector<std::string>{"beep"});
    EXPECT_EQ(platform::files::CurrentDirectory(), folder);
  }
  chmod((files_.path() / "fechada").c_str(), 0755);
}

}  // namespace
