// The script file chooser.
//
// Map: folding names; the entry list; drawing and scrolling; the selection
// loop; ChooseFile.
#include "interpreter/file_chooser.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/key_codes.h"
#include "console/keyboard.h"
#include "platform/files.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace interp {
namespace {

using namespace console::keys;

constexpr int kColumns = 80;
constexpr int kRows = 25;

constexpr int kRowColour = 15;      // white
constexpr int kBoxBackground = 6;   // brown
constexpr int kFolderColour = 3;    // cyan
constexpr int kMarkedColour = 2;    // green
constexpr int kCurrentColour = 14;  // yellow
constexpr int kPageStep = 10;

constexpr int kExtended = 256;

// --- folding names ----------------------------------------------------------

// The capital a byte folds to: a-z to A-Z, the accented letters of Latin-1
// (192-255) and of the DOS code page 850 (128-165) to their plain capitals,
// AE to 145, every other byte from 128 up to 254.
uint8_t Fold(uint8_t c) {
  if (c >= 'a' && c <= 'z') return static_cast<uint8_t>(c - 'a' + 'A');
  if (c < 128) return c;
  // Latin-1 from 192 on.
  static const char kLatin1[] =
      "AAAAAA\x91" "CEEEEIIIIDNOOOOOXOUUUUY\xFE" "S"   // 192-223
      "AAAAAA\x91" "CEEEEIIIIDNOOOOOXOUUUUY\xFE" "Y";  // 224-255
  // DOS code page 850 from 128 to 165.
  static const char kDos[] =
      "CUEAAAACEEEIIIAAE\x91\x91OOOUUYOUO\xFEOX\xFE" "AIOUNN";
  if (c >= 192) return static_cast<uint8_t>(kLatin1[c - 192]);
  if (c <= 165) return static_cast<uint8_t>(kDos[c - 128]);
  return 254;
}

// --- the entry list ---------------------------------------------------------

struct Entry {
  std::string name;        // the long name
  std::string short_name;  // its 8.3 form
  bool folder = false;
  bool marked = false;
};

// The 8.3 form of a name: capitals, at most 8 characters before the dot and
// 3 after it; a longer or spaced name is cut and marked "~1".
std::string ShortName(const std::string& name) {
  size_t dot = name.find_last_of('.');
  std::string base = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  std::string extension = dot == std::string::npos || dot == 0 ? "" : name.substr(dot + 1);
  auto clean = [](const std::string& text) {
    std::string out;
    for (char c : text)
      if (c != ' ' && c != '.') out += c;
    return speech::UpperCasePt(out);
  };
  std::string short_base = clean(base), short_extension = clean(extension);
  bool cut = short_base.size() > 8 || short_extension.size() > 3 || short_base.size() != base.size();
  if (cut) short_base = short_base.substr(0, 6) + "~1";
  short_extension = short_extension.substr(0, 3);
  return short_extension.empty() ? short_base : short_base + "." + short_extension;
}

// --- drawing and scrolling ------------------------------------------------------

struct Box {
  int left, top, right, bottom;
  int Width() const { return right - left + 1; }
  int Rows() const { return bottom - top + 1; }
  std::string Prefix() const { return Rows() > 1 ? " " : ""; }
};

class Chooser {
 public:
  Chooser(const Box& box, std::vector<Entry> entries) : box_(box), entries_(std::move(entries)) {}

  // The selection loop: returns the key that ended it (Esc, Tab or Enter).
  int Run();
  int Index() const { return index_; }
  bool Valid() const { return index_ >= 0 && index_ < Count(); }
  const Entry& Current() const { return entries_[index_]; }
  void DrawRow(int index, int colour);

 private:
  int Count() const { return static_cast<int>(entries_.size()); }
  int LastVisible() const { return first_visible_ + box_.Rows() - 1; }
  void DrawRows();
  void ScrollTo(int index, bool redraw);
  // Acts on one key; true when the key ends the loop.
  bool Act(int key);
  void Announce(int key);
  int SearchFrom(int index) const;
  void MarkRange(int from, int to, bool mark);

  Box box_;
  std::vector<Entry> entries_;
  int index_ = 0;
  int first_visible_ = 0;
  std::string search_ = " ";  // what F5 last searched for
};

void Chooser::DrawRow(int index, int colour) {
  if (index < first_visible_ || index > LastVisible() || index < 0 || index >= Count()) return;
  const Entry& entry = entries_[index];
  console::GotoXY(box_.left, box_.top + index - first_visible_);
  console::TextBackground(kBoxBackground);
  console::TextColor(colour >= 0 ? colour : entry.folder ? kFolderColour : entry.marked ? kMarkedColour : kRowColour);
  std::string row = box_.Prefix() + entry.name;
  row.resize(static_cast<size_t>(box_.Width()), ' ');
  console::ConsoleWrite(row);
}

void Chooser::DrawRows() {
  for (int index = first_visible_; index <= LastVisible() && index < Count(); ++index) DrawRow(index, -1);
}

void Chooser::ScrollTo(int index, bool redraw) {
  int first = first_visible_;
  while (index < first_visible_ && first_visible_ > 0) --first_visible_;
  while (index > LastVisible() && LastVisible() < Count() - 1) ++first_visible_;
  if (redraw || first != first_visible_) DrawRows();
}

int Chooser::SearchFrom(int index) const {
  for (int at = std::max(index, 0); at < Count(); ++at) {
    const std::string& name = entries_[at].name;
    if (name.size() < search_.size()) continue;
    bool same = true;
    for (size_t i = 0; i < search_.size() && same; ++i)
      same = std::toupper(static_cast<unsigned char>(name[i])) == std::toupper(static_cast<unsigned char>(search_[i]));
    if (same) return at;
  }
  return Count();
}

void Chooser::MarkRange(int from, int to, bool mark) {
  for (int at = std::max(from, 0); at <= to && at < Count(); ++at) entries_[at].marked = mark;
}

// The text F5 searches for: today one key, as typed (an extended key gives
// its code's character).
std::string ReadSearchText() {
  uint8_t key = console::ReadKey();
  if (key == 0) key = console::ReadKey();
  return std::string(1, static_cast<char>(key));
}

bool Chooser::Act(int key) {
  const bool shift = console::LastKeyModifiers().shift;
  auto down = [&] {
    if (shift && Valid()) {
      if (!entries_[index_].marked) speech::PlayBeep();
      entries_[index_].marked = true;
    }
    ++index_;
    if (shift && Valid()) entries_[index_].marked = true;
  };
  auto up = [&] {
    if (shift && Valid()) {
      if (entries_[index_].marked) speech::PlayClick();
      entries_[index_].marked = false;
    }
    --index_;
  };
  switch (key) {
    case ' ':
      if (Valid()) entries_[index_].marked = !entries_[index_].marked;
      return false;
    case '+':
      if (Valid()) entries_[index_].marked = true;
      return false;
    case '-':
      if (Valid()) entries_[index_].marked = false;
      return false;
    case '*':
      MarkRange(0, Count() - 1, true);
      DrawRows();
      return false;
    case '/':
      MarkRange(0, Count() - 1, false);
      DrawRows();
      return false;
    case kExtended + kDown:
      down();
      return false;
    case kExtended + kUp:
      up();
      return false;
    case kExtended + kPageDown:
      for (int i = 0; i < kPageStep && index_ < Count(); ++i) down();
      return false;
    case kExtended + kPageUp:
      for (int i = 0; i < kPageStep && index_ >= 0; ++i) up();
      return false;
    case kExtended + kHome:
    case kExtended + kCtrlPageUp:
      if (shift) {
        MarkRange(0, index_, false);
        speech::PlayBeep();
        DrawRows();
      }
      index_ = 0;
      return false;
    case kExtended + kEnd:
    case kExtended + kCtrlPageDown:
      if (shift) {
        MarkRange(index_, Count() - 1, true);
        speech::PlayBeep();
        DrawRows();
      }
      index_ = Count() - 1;
      return false;
    case kExtended + kF5:
      search_ = ReadSearchText();
      index_ = SearchFrom(index_ + 1);
      return false;
    case kExtended + kCtrlF5:
      index_ = SearchFrom(index_ + 1);
      return false;
    case kExtended + kLeft:
    case kExtended + kRight:
      return false;
    default:
      return true;
  }
}

void Chooser::Announce(int key) {
  const Entry& entry = entries_[index_];
  if (key == kExtended + kRight) {
    speech::Spell(entry.name);
  } else if (key == kExtended + kLeft) {
    speech::Spell(entry.short_name);
  } else {
    if (entry.marked) speech::PlayBeep();
    speech::Speak(entry.name);
  }
}

int Chooser::Run() {
  for (;;) {
    index_ = std::clamp(index_, 0, Count() - 1);
    ScrollTo(index_, true);
    console::GotoXY(box_.left, box_.top + index_ - first_visible_);
    int key = -1;  // the first pass has no key
    bool ending = false;
    for (;;) {
      if (key >= 0) {
        DrawRow(index_, -1);
        ending = Act(key);
      }
      index_ = std::clamp(index_, -1, Count());
      if (!Valid()) {
        speech::PlayBeep();
        ScrollTo(index_, false);
        console::GotoXY(box_.right, box_.bottom);
      } else {
        ScrollTo(index_, false);
        if (!ending) {
          DrawRow(index_, kCurrentColour);
          console::GotoXY(box_.left, box_.top + index_ - first_visible_);
          Announce(key);
        }
      }
      if (ending) break;
      speech::WaitWhileSpeaking();
      key = console::ReadKey();
      if (key == 0) key = kExtended + console::ReadKey();
    }
    if (key == kEscape || key == kTab || key == kEnter) return key;
  }
}

}  // namespace

bool FoldedNameBefore(const std::string& a, const std::string& b) {
  size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    uint8_t x = Fold(static_cast<uint8_t>(a[i])), y = Fold(static_cast<uint8_t>(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

ChosenFile ChooseFile(int left, int top, int right, int bottom, const std::string& pattern) {
  ChosenFile chosen;
  const std::string start_folder = platform::files::CurrentDirectory();

  // The folder part ends at the last separator or drive colon.
  size_t cut = pattern.find_last_of("\\/:");
  std::string name_pattern = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
  if (cut != std::string::npos) {
    std::string folder = pattern.substr(0, cut + 1);
    if (!platform::files::ChangeDirectory(folder)) {
      speech::PlayBeep();
      return chosen;
    }
  }
  const std::string list_folder = platform::files::CurrentDirectory();
  name_pattern += name_pattern.find('.') != std::string::npos ? "*" : "*.*";

  std::vector<Entry> entries;
  for (const platform::files::Entry& found : platform::files::Find(name_pattern)) {
    if (found.directory || found.name == "." || found.name == "..") continue;
    entries.push_back(Entry{found.name, ShortName(found.name), false, false});
  }
  if (entries.empty()) {
    platform::files::ChangeDirectory(start_folder);
    speech::PlayBeep();
    return chosen;
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return FoldedNameBefore(a.name, b.name); });

  // The box stays on the screen, at least one cell wide; when it reaches the
  // bottom right corner its last column is left out, so writing the last
  // cell never scrolls the console.
  top = std::clamp(top, 1, kRows);
  bottom = std::clamp(bottom, top, kRows);
  right = std::clamp(right, 1, kColumns);
  if (right == kColumns && bottom == kRows) right = kColumns - 1;
  left = std::clamp(left, 1, right);
  Box box{left, top, right, bottom};

  // What the box covers.
  std::vector<uint8_t> chars, attrs;
  for (int row = top; row <= bottom; ++row)
    for (int column = left; column <= right; ++column) {
      chars.push_back(console::ScreenChar(column, row));
      attrs.push_back(console::ScreenAttr(column, row));
    }
  const uint8_t attribute = console::CurrentAttribute();
  const int cursor_column = console::WhereX(), cursor_row = console::WhereY();

  Chooser chooser(box, std::move(entries));
  int key = chooser.Run();
  chosen.last_key = key;
  if (chooser.Valid() && key != kEscape) {
    chooser.DrawRow(chooser.Index(), kCurrentColour);
    console::TextColor(kRowColour);
  }
  if (key == kTab) {
    chosen.name = "@TAB@";
  } else if (key != kEscape && chooser.Valid()) {
    chosen.name = chooser.Current().name;
    if (list_folder != start_folder) {
      std::string prefix = list_folder;
      if (prefix.empty() || (prefix.back() != '\\' && prefix.back() != '/')) prefix += '\\';
      chosen.name = prefix + chosen.name;
    }
  }

  size_t cell = 0;
  for (int row = top; row <= bottom; ++row) {
    console::GotoXY(left, row);
    for (int column = left; column <= right; ++column, ++cell) {
      console::TextColor(attrs[cell] & 0x0F);
      console::TextBackground(attrs[cell] >> 4);
      console::ConsoleWrite(std::string(1, static_cast<char>(chars[cell])));
    }
  }
  console::TextColor(attribute & 0x0F);
  console::TextBackground(attribute >> 4);
  console::GotoXY(cursor_column, cursor_row);
  platform::files::ChangeDirectory(start_folder);
  return chosen;
}

}  // namespace interp
