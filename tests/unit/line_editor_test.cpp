// The spoken line editor on a headless console: ending keys, the clipboard
// in short and full fields, read-only fields, the field's width on screen,
// the speed change and the way into the screen review.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "console/console.h"
#include "speech/line_editor.h"
#include "speech/speech.h"
#include "speech_support.h"
#include "test_support.h"

namespace {

using test_support::HeadlessConsole;
using test_support::Type;

struct EndCase {
  const char* keys;
  int exit_key;
  const char* text;
};

TEST(LineEditor, EndingKeysAndTrimmedText) {
  const EndCase cases[] = {
      {"ab  {Up}", speech::kEditUp, "ab"},
      {"ab{Down}", speech::kEditDown, "ab"},
      {"x{Enter}", speech::kEditEnter, "x"},
      {"x{Esc}", speech::kEditEscape, "x"},
      {"x{Tab}", speech::kEditTab, "x"},
      {"x{Ctrl+Enter}", speech::kEditCtrlEnter, "x"},
      {"x{Ctrl+F9}", speech::kEditCtrlF9, "x"},
      {"x{PgDn}", 81, "x"},
      {"x{Alt+1}{Enter}", speech::kEditEnter, "x"},  // Alt with a digit does nothing
      {"x{Alt+Q}\xC3\x9E{Alt+W}y{Enter}", speech::kEditEnter, "xy"},  // after Alt+Q a key is plain
      {"x{Alt+E}{Up}", speech::kEditUp, "x"},
  };
  for (const EndCase& c : cases) {
    HeadlessConsole headless;
    Type(c.keys);
    std::string text;
    EXPECT_EQ(speech::EditField(text, 1, 1, true, 40, 80), c.exit_key) << c.keys;
    EXPECT_EQ(text, c.text) << c.keys;
  }
}

TEST(LineEditor, PasteIsCutToTheField) {
  struct Case {
    const char* keys;
    const char* text;
  };
  const Case cases[] = {
      {"{Ctrl+V}{Enter}", "0123456789"},
      {"x{Ctrl+V}{Enter}", "x012345678"},
      {"x{Shift+Ins}{Enter}", "x012345678"},  // Shift+Ins is Ctrl+V
  };
  for (const Case& c : cases) {
    HeadlessConsole headless;
    console::CopyToClipboard("0123456789ABCDEF\r\nsecond line");
    Type(c.keys);
    std::string text;
    speech::EditField(text, 1, 1, true, 10, 10);
    EXPECT_EQ(text, c.text) << c.keys;
  }
}

TEST(LineEditor, CopyOfAFullFieldCopiesEveryCharacter) {
  HeadlessConsole headless;
  Type("{Ctrl+Ins}{Enter}");
  std::string text = "0123456789";
  speech::EditField(text, 1, 1, true, 10, 10);
  EXPECT_EQ(console::PasteFromClipboard(100), "0123456789\r\n");
}

TEST(LineEditor, CopyOfASelection) {
  HeadlessConsole headless;
  Type("{Right}{Shift+Right}{Shift+Right}{Ctrl+C}{Enter}");
  std::string text = "abcdef";
  speech::EditField(text, 1, 1, true, 10, 10);
  EXPECT_EQ(console::PasteFromClipboard(100), "bc");
  EXPECT_EQ(text, "abcdef");
}

TEST(LineEditor, ReadOnlyFieldIgnoresTypingAndDeleting) {
  HeadlessConsole headless;
  Type("ab{Del}{Ctrl+Y}{Ctrl+V}{Enter}");
  std::string text = "xy";
  speech::EditField(text, 1, 1, false, 10, 10);
  EXPECT_EQ(text, "xy");
}

TEST(LineEditor, FieldRunsToTheRightEdgeLessOne) {
  HeadlessConsole headless;
  Type("{Enter}");
  std::string text(100, 'a');
  speech::EditFieldHere(text, 1, 3, true, 255);
  EXPECT_EQ(console::ScreenChar(78, 3), 'a');
  EXPECT_EQ(console::ScreenChar(79, 3), ' ');
  EXPECT_EQ(text, std::string(100, 'a'));
  EXPECT_EQ(console::WhereX(), 1);  // the cursor goes back to the field's start
}

TEST(LineEditor, LongTextScrollsSideways) {
  HeadlessConsole headless;
  Type("{End}{Enter}");
  std::string text = std::string(30, 'a') + "XYZ";
  speech::EditField(text, 1, 1, true, 10, 100);
  // The exit shows the field's start again.
  EXPECT_EQ(console::ScreenRow(1).substr(0, 10), std::string(10, 'a'));
}

// Keys released one at a time as the program waits for them, as the harness
// does, so a beep (which drops keys typed ahead) loses none.
class ScriptedKeys {
 public:
  ScriptedKeys(const test_support::TempFolder& folder, const std::string& keys)
      : variable_("TESSEL_KEYS", (folder.path() / "keys.txt").string()) {
    folder.Write("keys.txt", keys);
    console::ResetForTests();
  }

 private:
  test_support::ScopedVariable variable_;
};

TEST(LineEditor, InsertPastTheEndBeeps) {
  HeadlessConsole headless;
  ScriptedKeys keys(headless.folder(), "abcd{Enter}");
  speech_support::LogCapture log;
  std::string text;
  speech::EditField(text, 1, 1, true, 3, 3);
  EXPECT_EQ(text, "abc");
  EXPECT_EQ(log.Events("beep").size(), 1u);
}

bool g_reviewed = false;

TEST(LineEditor, AltCtrlF9OpensTheScreenReviewAndGoesOn) {
  HeadlessConsole headless;
  g_reviewed = false;
  speech::SetScreenReviewer([] { g_reviewed = true; });
  Type("a{Ctrl+Alt+F9}b{Enter}");
  std::string text;
  EXPECT_EQ(speech::EditField(text, 1, 1, true, 10, 10), speech::kEditEnter);
  speech::SetScreenReviewer(nullptr);
  EXPECT_TRUE(g_reviewed);
  EXPECT_EQ(text, "ab");
}

TEST(LineEditor, SpeedChangeReinitialisesSpeech) {
  struct Case {
    const char* keys;
    int level;
  };
  const Case cases[] = {{"{Ctrl+F4}5{Enter}", 5}, {"{Ctrl+F4}{Esc}{Enter}", 3}, {"{Ctrl+F4}2{Enter}", 2}};
  for (const Case& c : cases) {
    speech_support::VoiceFolder voice({"_VELOC"}, {}, "", "");
    ScriptedKeys keys(voice.folder(), c.keys);
    speech::SpeechInit(3, "");
    std::string text;
    speech::EditField(text, 1, 1, true, 10, 10);
    EXPECT_EQ(speech::SpeedLevel(), c.level) << c.keys;
    speech::SpeechEnd();
  }
}

// F12 and OpenDocument: real children started through the process layer,
// each a small script that writes its arguments into a named pipe.
class OpenDocumentTest : public testing::Test {
 protected:
  void SetUp() override {
    recorder_ = (folder_.path() / "recorder").string();
    pipe_ = (folder_.path() / "heard").string();
    ASSERT_EQ(mkfifo(pipe_.c_str(), 0600), 0);
    folder_.Write("recorder", "#!/bin/sh\necho \"$0|$*\" > '" + pipe_ + "'\n");
    chmod(recorder_.c_str(), 0755);
    folder_.Write("tool.exe", "#!/bin/sh\necho \"tool|$*\" > '" + pipe_ + "'\n");
    chmod((folder_.path() / "tool.exe").c_str(), 0755);
    folder_.Write("nota.txt", "texto");
  }
  // What the child wrote, or "" when none wrote within a few seconds.
  std::string Heard() {
    int fd = open(pipe_.c_str(), O_RDONLY | O_NONBLOCK);
    std::string text;
    for (int waited = 0; fd >= 0 && waited < 5000; waited += 10) {
      pollfd ready{fd, POLLIN, 0};
      if (poll(&ready, 1, 10) > 0 && (ready.revents & POLLIN)) {
        char buffer[512];
        ssize_t count = read(fd, buffer, sizeof buffer);
        if (count > 0) {
          text.append(buffer, static_cast<size_t>(count));
          if (text.back() == '\n') break;
        }
      }
    }
    if (fd >= 0) close(fd);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }
  test_support::TempFolder folder_;
  std::string recorder_, pipe_;
};

TEST_F(OpenDocumentTest, AddressDocumentAndProgram) {
  HeadlessConsole headless("[MIRANE]\r\nPROG.HTM=" + recorder_ + "\r\nPROG.TXT=" + recorder_ + "\r\n");
  speech::OpenDocument("www.exemplo.com.br");
  EXPECT_EQ(Heard(), recorder_ + "|www.exemplo.com.br");
  std::string note = (folder_.path() / "nota.txt").string();
  speech::OpenDocument(note);
  EXPECT_EQ(Heard(), recorder_ + "|" + note);
  // A program runs itself, with no parameters.
  speech::OpenDocument((folder_.path() / "tool.exe").string());
  EXPECT_EQ(Heard(), "tool|");
}

TEST_F(OpenDocumentTest, F12OpensTheWordUnderTheCursor) {
  HeadlessConsole headless("[MIRANE]\r\nPROG.HTM=" + recorder_ + "\r\n");
  Type("{Ctrl+Right}{Right}{F12}{Enter}");
  std::string text = "veja (www.exemplo.com. agora";
  speech::EditField(text, 1, 1, true, 40, 40);
  // The "(" before and the "." after the address are left out.
  EXPECT_EQ(Heard(), recorder_ + "|www.exemplo.com");
}

}  // namespace
