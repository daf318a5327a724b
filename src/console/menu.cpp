// The popup menu and the list box.
//
// Map: shared drawing; the popup menu; the list box.
#include "console/menu.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/key_codes.h"
#include "console/keyboard.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace console {
namespace {

using namespace console::keys;

constexpr int kColumns = 80;
constexpr int kRows = 25;

constexpr int kOptionColour = 15;
constexpr int kCurrentColour = 14;
constexpr int kMarkedColour = 2;
constexpr int kPageStep = 10;

// Typed in the menu, this byte waits for the next key and changes nothing.
constexpr uint8_t kWaitByte = 223;


void SetAttribute(uint8_t attribute) {
  TextColor(attribute & 0x0F);
  TextBackground(attribute >> 4);
}

// The text cut or padded with blanks to `width`.
std::string Fitted(const std::string& text, int width) {
  std::string row = text.substr(0, static_cast<size_t>(std::max(width, 0)));
  row.resize(static_cast<size_t>(std::max(width, 0)), ' ');
  return row;
}

// --- the popup menu -------------------------------------------------------------

struct Option {
  int32_t number;
  std::string message_key;
  std::string text;
};

struct Popup {
  bool open = false;
  int left = 1, top = 1, width = 0, bottom = 0;
  int background = 0;
  int first_shown = 1;
  std::vector<Option> options;
  std::vector<uint8_t> saved_chars, saved_attrs;  // the covered area, row by row
  int saved_column = 1, saved_row = 1;
  uint8_t saved_attribute = 7;
  std::string chosen;
};

Popup& P() {
  static Popup popup;
  return popup;
}

int AreaRows() { return std::max(P().bottom - P().top + 1, 0); }

void DrawOption(int number, int colour) {
  Popup& p = P();
  int row = p.top + number - p.first_shown;
  if (number < 1 || number > static_cast<int>(p.options.size()) || row < p.top || row > p.bottom) return;
  GotoXY(p.left, row);
  TextBackground(p.background);
  TextColor(colour);
  ConsoleWrite(Fitted(p.options[number - 1].text, p.width));
}

void DrawOptions() {
  for (int number = P().first_shown; number < P().first_shown + AreaRows(); ++number) DrawOption(number, kOptionColour);
}

// Moves the options so that `current` is shown; redraws when they moved.
void ScrollTo(int current) {
  Popup& p = P();
  int first = p.first_shown;
  if (current >= 1 && current < first) first = current;
  if (current > first + AreaRows() - 1) first = current - AreaRows() + 1;
  first = std::max(first, 1);
  if (first == p.first_shown) return;
  p.first_shown = first;
  DrawOptions();
}

// The option after `current` whose text, leading blanks aside, begins with
// `c` (letters in either case); count + 1 when there is none.
int SearchOption(int current, uint8_t c) {
  const Popup& p = P();
  std::string wanted = speech::UpperCasePt(std::string(1, static_cast<char>(c)));
  int count = static_cast<int>(p.options.size());
  for (int number = std::max(current + 1, 1); number <= count; ++number) {
    const std::string& text = p.options[number - 1].text;
    size_t start = text.find_first_not_of(' ');
    if (start != std::string::npos && speech::UpperCasePt(text.substr(start, 1)) == wanted) return number;
  }
  return count + 1;
}

bool IsSearchKey(uint8_t c) {
  if (c >= 1 && c <= 26) return c != kEnter;
  if (c == '*' || c == '+' || c == '-' || c == '/') return true;
  if (c >= '0' && c <= '9') return true;
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  return c >= 192 && c != 215 && c != 247;  // the accented letters
}

void Announce(int number, bool spell) {
  const Option& option = P().options[number - 1];
  if (spell) speech::Spell(option.text);
  else if (!option.message_key.empty() && speech::MessageExists(option.message_key)) speech::PlayMessage(option.message_key);
  else speech::Speak(option.text);
}

// --- the list box ---------------------------------------------------------------------

struct ListBox {
  bool exists = false;
  int left = 1, top = 1, right = 1, bottom = 1;
  std::vector<std::string> items;
  std::vector<std::string> spoken;
  std::vector<uint8_t> marks;  // 1 = marked
  int current = 0;             // from 0; -1 or the count: none
  int first_shown = 0;
};

ListBox& L() {
  static ListBox box;
  return box;
}

int ListWidth() { return std::max(L().right - L().left + 1, 0); }
int VisibleRows() { return std::max(L().bottom - L().top + 1, 0); }
int Count() { return static_cast<int>(L().items.size()); }
bool Valid(int index) { return index >= 0 && index < Count(); }

void ScrollList() {
  ListBox& b = L();
  if (b.current < b.first_shown) b.first_shown = b.current;
  if (b.current >= b.first_shown + VisibleRows()) b.first_shown = b.current - VisibleRows() + 1;
  b.first_shown = std::max(b.first_shown, 0);
}

void DrawList(int text_colour) {
  ListBox& b = L();
  for (int row = 0; row < VisibleRows(); ++row) {
    int index = b.first_shown + row;
    if (b.top + row > kRows) break;
    GotoXY(b.left, b.top + row);
    if (Valid(index)) {
      TextColor(index == b.current ? kCurrentColour : b.marks[index] ? kMarkedColour : text_colour);
      ConsoleWrite(Fitted(b.items[index], ListWidth()));
    } else {
      TextColor(text_colour);
      ConsoleWrite(std::string(ListWidth(), ' '));
    }
  }
}

bool EndsListChoice(uint8_t code) {
  return (code >= kF1 && code <= kF12) || (code >= kCtrlF1 && code <= kCtrlF12) || code == kLeft || code == kRight;
}

}  // namespace

// --- popup menu ---------------------------------------------------------------------------

void MakeRoom(int lines) {
  lines = std::clamp(lines, 0, kRows - 1);
  int column = WhereX();
  for (int i = 0; i < lines; ++i) ConsoleWrite("\r\n");
  GotoXY(column, WhereY() - lines);
}

void MenuOpen(int left, int top, int width, int background, int options) {
  Popup& p = P();
  p = Popup();
  p.open = true;
  p.width = std::clamp(width, 0, kColumns);
  options = std::max(options, 0);
  if (left + p.width > kColumns) left = kColumns - p.width;
  p.left = std::max(left, 1);
  if (top + options - 1 > kRows) top = kRows - options + 1;
  p.top = std::max(top, 1);
  p.bottom = std::min(p.top + options - 1, kRows);
  p.background = background & 0x0F;
  p.saved_column = WhereX();
  p.saved_row = WhereY();
  p.saved_attribute = CurrentAttribute();
  TextBackground(p.background);
  for (int row = p.top; row <= p.bottom; ++row)
    for (int column = p.left; column < p.left + p.width; ++column) {
      p.saved_chars.push_back(ScreenChar(column, row));
      p.saved_attrs.push_back(ScreenAttr(column, row));
    }
}

void MenuAdd(const std::string& message_key, const std::string& text) {
  Popup& p = P();
  p.options.push_back(Option{static_cast<int32_t>(p.options.size() + 1), message_key, text});
}

int MenuRun() {
  Popup& p = P();
  if (!p.open) return 0;
  const int count = static_cast<int>(p.options.size());
  int current = 1;
  DrawOptions();
  ScrollTo(current);
  uint8_t key = ' ', code = 0;  // the first pass acts as a blank typed
  bool finish = false;
  for (;;) {
    DrawOption(current, kOptionColour);
    if (key == 0) {
      switch (code) {
        case kDown: ++current; break;
        case kUp: --current; break;
        case kHome: case kCtrlPageUp: current = 1; break;
        case kEnd: case kCtrlPageDown: current = count; break;
        case kPageUp: current -= kPageStep; break;
        case kPageDown: current += kPageStep; break;
        default: break;
      }
    } else if (key == kEnter || key == kEscape) {
      finish = true;
    } else if (key == kWaitByte) {
      while (!KeyPressed()) WaitMessage();
    } else if (IsSearchKey(key)) {
      current = SearchOption(current, key);
    }
    current = std::clamp(current, 0, count + 1);
    bool valid = current >= 1 && current <= count;
    if (!valid) {
      speech::PlayBeep();
    } else if (!finish) {
      ScrollTo(current);
      DrawOption(current, kCurrentColour);
      GotoXY(p.left, p.top + current - p.first_shown);
      Announce(current, key == 0 && code == kRight);
    }
    if (finish) break;
    key = ReadKey();
    code = key == 0 ? ReadKey() : 0;
    speech::StopSpeech();
  }
  int result = 0;
  p.chosen.clear();
  if (key == kEnter && current >= 1 && current <= count) {
    DrawOption(current, kCurrentColour);
    result = current;
    p.chosen = p.options[current - 1].text;
  }
  // The covered cells come back with their own colours.
  size_t cell = 0;
  for (int row = p.top; row <= p.bottom; ++row) {
    GotoXY(p.left, row);
    for (int column = p.left; column < p.left + p.width; ++column, ++cell) {
      SetAttribute(p.saved_attrs[cell]);
      ConsoleWrite(std::string(1, static_cast<char>(p.saved_chars[cell])));
    }
  }
  SetAttribute(p.saved_attribute);
  GotoXY(p.saved_column, p.saved_row);
  std::string chosen = std::move(p.chosen);
  p = Popup();
  p.chosen = std::move(chosen);
  return result;
}

const std::string& MenuChosenText() { return P().chosen; }

// --- list box -------------------------------------------------------------------------------

void ListCreate(int left, int top, int right, int bottom) {
  ListBox& b = L();
  b = ListBox();
  b.exists = true;
  b.left = std::clamp(left, 1, kColumns);
  b.top = std::clamp(top, 1, kRows);
  b.right = std::clamp(right, b.left - 1, kColumns);
  b.bottom = std::clamp(bottom, b.top - 1, kRows);
}

bool ListAdd(const std::string& text) {
  ListBox& b = L();
  if (!b.exists || Count() >= kListBoxItems) return false;
  b.items.push_back(text);
  b.spoken.push_back(text);
  b.marks.push_back(0);
  return true;
}

ListChoice ListRun(int start_item, bool speak) {
  ListBox& b = L();
  const uint8_t attribute = CurrentAttribute();
  const int text_colour = attribute & 0x0F;
  b.current = std::clamp(start_item - 1, -1, Count());
  ListChoice choice;
  for (bool say = speak;; say = true) {
    ScrollList();
    DrawList(text_colour);
    if (say && Valid(b.current)) {
      if (b.marks[b.current]) speech::PlayBeep();
      speech::Speak(b.spoken[b.current]);
    }
    GotoXY(b.left, std::min(b.top + std::max(b.current - b.first_shown, 0), kRows));
    uint8_t key = ReadKey();
    if (key != 0) {
      bool on = Valid(b.current);
      if (key == ' ' && on) b.marks[b.current] ^= 1;
      else if (key == '+' && on) b.marks[b.current] = 1;
      else if (key == '-' && on) b.marks[b.current] = 0;
      else if (key == '*') std::fill(b.marks.begin(), b.marks.end(), 1);
      else if (key == '/') std::fill(b.marks.begin(), b.marks.end(), 0);
      else if (key != ' ' && key != '+' && key != '-') {
        choice.key = key;
        break;
      }
    } else {
      uint8_t code = ReadKey();
      speech::StopSpeech();
      if (EndsListChoice(code)) {
        choice.extended = code;
        break;
      }
      switch (code) {
        case kDown: ++b.current; break;
        case kUp: --b.current; break;
        case kPageUp: b.current -= kPageStep; break;
        case kPageDown: b.current += kPageStep; break;
        case kHome: case kCtrlPageUp: speech::PlayBeep(); b.current = 0; break;
        case kEnd: case kCtrlPageDown: speech::PlayBeep(); b.current = Count() - 1; break;
        default: break;
      }
    }
    if (b.current < 0 || b.current >= Count()) {
      b.current = b.current < 0 ? -1 : Count();
      speech::PlayBeep();
    }
  }
  SetAttribute(attribute);
  choice.item = b.current + 1;
  choice.valid = Valid(b.current);
  return choice;
}

ListItem ListGet(int item) {
  ListItem got;
  if (item >= 1 && item <= Count()) {
    got.text = L().items[item - 1];
    got.marked = L().marks[item - 1] != 0;
  }
  return got;
}

int ListCount() { return Count(); }
bool ListExists() { return L().exists; }

void ListClose() {
  ListBox& b = L();
  if (!b.exists) return;
  for (int row = b.top; row <= b.bottom; ++row) {
    GotoXY(b.left, row);
    ConsoleWrite(std::string(ListWidth(), ' '));
  }
  GotoXY(b.left, b.top);
  b = ListBox();
}

void ResetMenusForTests() {
  P() = Popup();
  L() = ListBox();
}

}  // namespace console
