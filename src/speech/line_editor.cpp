// The spoken line editor: one field on one console row, scrolled sideways,
// with a Shift selection, the clipboard, word-wise movement and reading.
#include "speech/line_editor.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "console/console.h"
#include "console/key_codes.h"
#include "console/keyboard.h"
#include "console/review.h"
#include "platform/files.h"
#include "platform/process/process.h"
#include "speech/number_words.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace speech {
namespace {

using namespace console::keys;

constexpr int kLongestField = 2048;
constexpr int kSelectionBackground = 8;

// Extended codes only the editor handles: paste and copy.
enum : int {
  kPaste = 254,
  kCopy = 255,
};

ScreenReviewer g_reviewer = console::ReviewScreen;

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsWordLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 128; }

// One editing call. Positions (cursor, first visible, selection) are 1-based
// as the user counts them; `text` always holds exactly max_length characters.
class Editor {
 public:
  Editor(std::string& text, int column, int row, bool editable, int width, int max_length)
      : result_(text), column_(column), row_(row), editable_(editable) {
    max_ = std::clamp(max_length, 1, kLongestField);
    width_ = std::clamp(width, 1, max_);
    // A field on the last row never writes its last cell, so nothing scrolls.
    if (row_ == platform::window::kRows && column_ + width_ > platform::window::kColumns) --width_;
    if (width_ < 1) width_ = 1;
    text_ = text.substr(0, max_);
    text_.resize(max_, ' ');
    entry_ = text_;
  }

  int Run() {
    for (;;) {
      Scroll();
      Draw();
      int exit_key = 0;
      uint8_t key = console::ReadKey();
      StopSpeech();
      bool shift = console::LastKeyModifiers().shift;
      bool alt = console::LastKeyModifiers().alt;
      bool done;
      if (key == 0) {
        int code = console::ReadKey();
        if (code >= 16 && code <= 18) {
          // Alt+Q, Alt+W, Alt+E: the next key counts as a plain key (an
          // extended key after them stays extended, so its code is never
          // typed as a character).
          uint8_t next = console::ReadKey();
          if (next == 0) done = Extended(console::ReadKey(), shift, alt, exit_key);
          else done = Plain(next, exit_key);
        } else {
          done = Extended(code, shift, alt, exit_key);
        }
      } else {
        done = Plain(key, exit_key);
      }
      first_key_ = false;
      if (done) return Finish(exit_key);
    }
  }

 private:
  // --- drawing -------------------------------------------------------------

  void Scroll() {
    if (cursor_ < first_visible_) first_visible_ = cursor_;
    if (first_visible_ + width_ < cursor_) first_visible_ = cursor_ - width_;
  }

  bool HasSelection() const { return selection_start_ >= 1 && selection_end_ >= 1; }
  int SelectionLow() const { return std::min(selection_start_, selection_end_); }
  int SelectionHigh() const { return std::max(selection_start_, selection_end_); }
  void DropSelection() { selection_start_ = selection_end_ = 0; }

  void Draw() {
    console::GotoXY(column_, row_);
    std::string shown = text_.substr(first_visible_ - 1, width_);
    shown.resize(width_, ' ');
    int low = HasSelection() ? SelectionLow() : 0, high = HasSelection() ? SelectionHigh() : 0;
    int index = 0;
    while (index < width_) {
      int position = first_visible_ + index;
      bool selected = position >= low && position < high;
      int run = index;
      while (run < width_ && ((first_visible_ + run >= low && first_visible_ + run < high) == selected)) ++run;
      std::string part = shown.substr(index, run - index);
      if (selected) {
        uint8_t saved = console::CurrentAttribute();
        console::TextBackground(kSelectionBackground);
        console::ConsoleWrite(part);
        console::TextBackground(saved >> 4);
      } else {
        console::ConsoleWrite(part);
      }
      index = run;
    }
    if (width_ < platform::window::kColumns) console::ClearToEndOfLine();
    console::GotoXY(column_ + cursor_ - first_visible_, row_);
  }

  int Finish(int exit_key) {
    console::GotoXY(column_, row_);
    console::ConsoleWrite(text_.substr(0, width_));
    console::GotoXY(column_, row_);
    size_t end = text_.find_last_not_of(' ');
    result_ = end == std::string::npos ? std::string() : text_.substr(0, end + 1);
    return exit_key;
  }

  // --- editing ---------------------------------------------------------------

  char At(int position) const { return text_[position - 1]; }
  int LastNonSpace() const {
    size_t end = text_.find_last_not_of(' ');
    return end == std::string::npos ? 0 : static_cast<int>(end) + 1;
  }
  std::string Trimmed() const { return text_.substr(0, LastNonSpace()); }

  void Insert(uint8_t c) {
    if (!editable_) return;
    if (cursor_ > max_) {
      PlayBeep();
      return;
    }
    text_.insert(text_.begin() + (cursor_ - 1), static_cast<char>(c));
    text_.pop_back();
    console::ConsoleWrite(std::string(1, static_cast<char>(c)));
    if (EchoTyped()) SayLetter(static_cast<char>(c));
    ++cursor_;
  }

  void DeleteAtCursor(bool say_del) {
    if (!editable_ || cursor_ > max_) return;
    char removed = At(cursor_);
    text_.erase(cursor_ - 1, 1);
    text_ += ' ';
    Draw();
    if (say_del) PlayMessage("_DEL");
    SayLetter(removed);
  }

  // Cursor to the start of the next word; `quiet` leaves out the click and
  // the beep. Returns false when there was no next word.
  bool NextWord(bool quiet) {
    std::string marked = text_ + " @";
    int p = cursor_;
    auto c = [&](int position) { return static_cast<unsigned char>(marked[position - 1]); };
    if (p <= static_cast<int>(marked.size())) {
      if (IsDigit(c(p))) {
        while (IsDigit(c(p))) ++p;
      } else if (c(p) != ' ') {
        ++p;
        while (IsWordLetter(c(p))) ++p;
      }
      while (c(p) == ' ') ++p;
    }
    if (p > max_) {
      cursor_ = LastNonSpace() + 1;
      if (!quiet) PlayBeep();
      return false;
    }
    cursor_ = p;
    if (!quiet) PlayClick();
    return true;
  }

  // Cursor to the start of the word before it.
  bool PreviousWord(bool quiet) {
    int p = cursor_;
    auto c = [&](int position) { return static_cast<unsigned char>(text_[position - 1]); };
    while (p > 1 && c(p - 1) == ' ') --p;
    bool moved = false;
    if (p > 1) {
      moved = true;
      if (IsDigit(c(p - 1))) {
        while (p > 1 && IsDigit(c(p - 1))) --p;
      } else if (IsWordLetter(c(p - 1))) {
        while (p > 1 && IsWordLetter(c(p - 1))) --p;
      } else {
        --p;
      }
    }
    if (!moved) {
      cursor_ = 1;
      if (!quiet) PlayBeep();
      return false;
    }
    cursor_ = p;
    if (!quiet) PlayClick();
    return true;
  }

  void DeleteWord() {
    if (!editable_) return;
    if (cursor_ > 1 && At(cursor_ - 1) != ' ') PreviousWord(true);
    int from = cursor_;
    NextWord(true);
    int to = cursor_;
    cursor_ = from;
    for (int i = from; i < to; ++i) DeleteAtCursor(i == from);
  }

  // F1: the word at the cursor, said as it is best understood.
  void ReadWord() {
    std::string marked = text_ + '\x01';
    int start = cursor_;
    int p = cursor_;
    auto c = [&](int position) { return static_cast<unsigned char>(marked[position - 1]); };
    while (c(p) == ' ') ++p;
    unsigned char first = static_cast<unsigned char>(UpperCasePt(static_cast<char>(c(p))));
    if (first == 1) {
      PlayBeep();
      cursor_ = start;
      return;
    }
    int end = p + 1;
    if (IsDigit(first) || first == '-') {
      while (IsDigit(c(end))) ++end;
      cursor_ = end;
      Speak(marked.substr(p - 1, end - p));
    } else if ((first >= 'A' && first <= 'Z') || first >= 128) {
      auto in_run = [](unsigned char u) { return (u >= 'A' && u <= 'Z') || u >= 128; };
      while (c(end) != 1 && in_run(static_cast<unsigned char>(UpperCasePt(static_cast<char>(c(end)))))) ++end;
      std::string run = marked.substr(p - 1, end - p);
      cursor_ = end;
      bool consonants_only = true;
      for (char ch : UpperCasePt(run))
        if (std::string("BCDFGHJKLMNPQRSTVXZ").find(ch) == std::string::npos) consonants_only = false;
      if (consonants_only) Spell(run);
      else Speak(run);
    } else {
      cursor_ = end;
      Spell(std::string(1, static_cast<char>(first)));
    }
    if (cursor_ > max_ + 1) cursor_ = max_ + 1;
  }

  void Copy() {
    if (HasSelection()) console::CopyToClipboard(text_.substr(SelectionLow() - 1, SelectionHigh() - SelectionLow()));
    else console::CopyToClipboard(Trimmed() + "\r\n");
  }

  void Paste() {
    if (!editable_) return;
    std::string clip = console::PasteFromClipboard(static_cast<size_t>(max_) + 1);
    size_t line_end = clip.find_first_of("\r\n");
    if (line_end != std::string::npos) clip.resize(line_end);
    if (first_key_) {
      PlayClick();
      PlayClick();
      text_.assign(max_, ' ');
    }
    int at = cursor_, resume = cursor_;
    if (HasSelection()) {
      at = SelectionLow();
      resume = SelectionHigh();
    }
    if (at > max_ + 1) at = max_ + 1;
    std::string rebuilt = text_.substr(0, at - 1) + clip + (resume <= max_ ? text_.substr(resume - 1) : "");
    rebuilt.resize(max_, ' ');
    text_ = rebuilt;
    cursor_ = at;
    int inserted_end = std::min(at + static_cast<int>(clip.size()), max_ + 1);
    selection_start_ = at;
    selection_end_ = inserted_end;
  }

  void OpenWordUnderCursor() {
    int from = std::min(cursor_, max_), to = from;
    if (At(from) == ' ') {
      PlayBeep();
      return;
    }
    while (from > 1 && At(from - 1) != ' ') --from;
    while (to < max_ && At(to + 1) != ' ') ++to;
    std::string word = text_.substr(from - 1, to - from + 1);
    const std::string strip = "\"(*-.<=>[_{";
    size_t a = word.find_first_not_of(strip);
    if (a == std::string::npos) {
      PlayBeep();
      return;
    }
    size_t b = word.find_last_not_of(strip);
    OpenDocument(word.substr(a, b - a + 1));
  }

  void SpeedChange() {
    PlayMessage("_VELOC");
    char key = ReadKeySay();
    while (console::KeyPressed()) key = ReadKeySay();
    if (key == 27 || key == 13) return;
    std::string folder = MessageFolder();
    SpeechEnd();
    SpeechInit(static_cast<unsigned char>(key) - '0', folder);
  }

  // --- the keys ----------------------------------------------------------------

  bool Extended(int code, bool shift, bool alt, int& exit_key) {
    bool clipboard = code == kPaste || code == kCopy;
    if (!clipboard) {
      if (shift) {
        if (selection_start_ < 1) selection_start_ = selection_end_ = cursor_;
      } else if (code != kDel) {
        // Del keeps the selection: it is how a selection is deleted.
        DropSelection();
      }
    }
    switch (code) {
      case kF1:
        if (alt) {
          exit_key = kEditAltF1;
          return true;
        }
        ReadWord();
        break;
      case kF4:
        SetEchoTyped(!EchoTyped());
        PlayMessage(EchoTyped() ? "_FALACI" : "_FALDLG");
        break;
      case kF8: SayCurrentTime(); break;
      case kF12: OpenWordUnderCursor(); break;
      case kHome: cursor_ = 1; break;
      case kLeft:
        if (cursor_ > 1) {
          --cursor_;
          SayLetter(At(cursor_));
        } else {
          PlayBeep();
        }
        break;
      case kRight:
        if (cursor_ > max_) {
          PlayBeep();
        } else {
          unsigned char c = static_cast<unsigned char>(At(cursor_));
          if (alt && IsWordLetter(c)) PlayMessage("_FON" + std::to_string(c));
          else SayLetter(static_cast<char>(c));
          ++cursor_;
        }
        break;
      case kEnd: cursor_ = LastNonSpace() + 1; break;
      case kDel:
        if (!HasSelection() || SelectionLow() == SelectionHigh()) {
          DropSelection();
          DeleteAtCursor(true);
        } else if (editable_) {
          int low = SelectionLow(), count = SelectionHigh() - low;
          cursor_ = low;
          PlayMessage("_DEL");
          for (int i = 0; i < count; ++i) DeleteAtCursor(false);
          selection_start_ = selection_end_ = low;
          DropSelection();
        }
        break;
      case kCtrlF1: Speak(Trimmed()); break;
      case kCtrlF4: SpeedChange(); break;
      case kCtrlF8: SayCurrentDate(); break;
      case kCtrlF9:
        if (!alt) {
          exit_key = kEditCtrlF9;
          return true;
        }
        if (g_reviewer) g_reviewer();
        else PlayBeep();
        break;
      case kCtrlLeft: PreviousWord(false); break;
      case kCtrlRight: NextWord(false); break;
      case kPaste: Paste(); break;
      case kCopy: Copy(); break;
      default:
        if (code >= 120 && code <= 129) break;  // Alt with a digit
        exit_key = code;
        return true;
    }
    if (shift && !clipboard) selection_end_ = cursor_;
    return false;
  }

  bool Plain(uint8_t key, int& exit_key) {
    if (key != 3 && key != 22 && key != 222 && key != 223) DropSelection();
    switch (key) {
      case 3: Copy(); break;
      case 4:
        if (editable_) {
          std::fill(text_.begin() + (cursor_ - 1), text_.end(), ' ');
          PlayMessage("_APFCPO");
        }
        break;
      case 8:
        if (cursor_ == 1) {
          PlayBeep();
        } else if (editable_) {
          --cursor_;
          DeleteAtCursor(true);
        }
        break;
      case 9:
      case 10:
      case 13:
      case 27:
        exit_key = key;
        return true;
      case 11: Speak(std::to_string(cursor_)); break;
      case 19:
        if (editable_) {
          text_ = text_.substr(cursor_ - 1);
          text_.resize(max_, ' ');
          cursor_ = 1;
          PlayMessage("_APICPO");
        }
        break;
      case 21:
        if (editable_) {
          text_ = entry_;
          cursor_ = 1;
          PlayBeep();
          PlayBeep();
          PlayBeep();
        }
        break;
      case 22: Paste(); break;
      case 25:
        if (editable_) {
          text_.assign(max_, ' ');
          PlayMessage("_CPOAPA");
          cursor_ = 1;
        }
        break;
      case 28: PlayDtmf(Trimmed()); break;
      case 127: DeleteWord(); break;
      case 222:
        WaitWhileSpeaking();
        Speak(Trimmed());
        break;
      case 223: break;
      default:
        if (first_key_ && cursor_ <= max_ && text_.find_first_not_of(' ', cursor_ - 1) != std::string::npos) {
          PlayClick();
          PlayClick();
          if (key >= 32 && editable_) text_.assign(max_, ' ');
        }
        if (key >= 32) Insert(key);
        break;
    }
    return false;
  }

  std::string& result_;
  std::string text_, entry_;
  int column_, row_;
  bool editable_;
  int width_ = 1, max_ = 1;
  int cursor_ = 1, first_visible_ = 1;
  int selection_start_ = 0, selection_end_ = 0;
  bool first_key_ = true;
};

}  // namespace

int EditField(std::string& text, int column, int row, bool editable, int width, int max_length) {
  console::EnsureWindow();
  Editor editor(text, column, row, editable, width, max_length);
  return editor.Run();
}

int EditFieldHere(std::string& text, int column, int row, bool editable, int max_length) {
  int width = (platform::window::kColumns - 1) - column;
  return EditField(text, column, row, editable, width, max_length);
}

void ReadLineSpoken(std::string& text) {
  text.clear();
  int column = console::WhereX(), row = console::WhereY();
  int key = EditFieldHere(text, column, row, true, 255);
  if (key == kEditEscape) {
    int width = std::max(1, (platform::window::kColumns - 1) - column);
    console::GotoXY(column, row);
    console::ConsoleWrite(std::string(width, ' '));
    console::GotoXY(column, row);
    text.clear();
  }
  console::ConsoleWrite("\r\n");
}

void OpenDocument(const std::string& name) {
  std::string program, parameters;
  if (name.rfind("http://", 0) == 0 || name.rfind("https://", 0) == 0 || name.rfind("www.", 0) == 0) {
    program = ReadSetting("MIRANE", "PROG.HTM");
    parameters = name;
  } else {
    size_t dot = name.find('.');
    std::string extension = UpperCasePt(dot == std::string::npos ? name.substr(0, 3) : name.substr(dot + 1, 3));
    if (extension == "EXE" || extension == "COM") {
      bool absolute = (name.size() >= 2 && name[1] == ':') || (!name.empty() && (name[0] == '\\' || name[0] == '/'));
      program = absolute ? name : platform::files::CurrentDirectory() + "/" + name;
    } else {
      program = ReadSetting("MIRANE", "PROG." + extension);
      parameters = name;
      if (program.empty()) {
        program = name;
        parameters.clear();
      }
    }
  }
  WaitWhileSpeaking();
  if (!platform::process::ShellOpen(program, parameters, platform::files::CurrentDirectory())) PlayBeep();
  WaitWhileSpeaking();
}

void SetScreenReviewer(ScreenReviewer reviewer) { g_reviewer = reviewer ? reviewer : console::ReviewScreen; }

}  // namespace speech
