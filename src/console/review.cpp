// The screen review: keys move a review cursor over the text grid and read
// what it passes; two-letter commands read from or to the cursor by field,
// line and screen; F5 searches, F6 goes to a typed row and column, Ctrl+C
// copies the screen.
//
// Map: cells and classes; reading words and ranges; moving; searching and
// going to; the key loop.
#include "console/review.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

#include "console/console.h"
#include "console/key_codes.h"
#include "console/keyboard.h"
#include "speech/speech.h"

namespace console {
namespace {

using namespace console::keys;

constexpr int kColumns = 80;
constexpr int kRows = 25;
constexpr int kPastEnd = kColumns + 1;  // the review cursor's column just past the last
constexpr size_t kLongestSearch = kColumns;
// A run of one repeated sign is heard as at most this many of it.
constexpr int kRepeatedSigns = 3;



struct Review {
  int row = 1;
  int column = 1;
  std::string search;  // kept from one review to the next
};

Review& R() {
  static Review review;
  return review;
}

// --- cells and classes --------------------------------------------------------

bool Inside(int row, int column) { return row >= 1 && row <= kRows && column >= 1 && column <= kColumns; }

uint8_t Cell(int row, int column) { return Inside(row, column) ? ScreenChar(column, row) : ' '; }
uint8_t Attribute(int row, int column) { return Inside(row, column) ? ScreenAttr(column, row) : 0; }

bool IsWordCharacter(uint8_t c) {
  if (std::isalnum(c) && c < 128) return true;
  switch (c) {
    case 0xE0: case 0xE1: case 0xE2: case 0xE3: case 0xE7: case 0xE9: case 0xEA:
    case 0xED: case 0xF1: case 0xF3: case 0xF4: case 0xF5: case 0xFA:
    case 0xC0: case 0xC1: case 0xC2: case 0xC3: case 0xC7: case 0xC9: case 0xCA:
    case 0xCD: case 0xD1: case 0xD3: case 0xD4: case 0xD5: case 0xDA:
      return true;
    default:
      return false;
  }
}

bool IsConsonant(uint8_t c) {
  if (c >= 128 || !std::isalpha(c)) return false;
  switch (std::toupper(c)) {
    case 'A': case 'E': case 'I': case 'O': case 'U':
      return false;
    default:
      return true;
  }
}

// Fields are separated by these signs and by the box-drawing characters of
// the console font.
bool IsFieldSeparator(uint8_t c) { return c == '!' || c == ':' || c == '?' || c == '|' || (c >= 176 && c <= 223); }

void BeepClickBeep() {
  speech::PlayBeep();
  speech::PlayClick();
  speech::PlayBeep();
}

// The column after the last non-blank cell of the row (1 for a blank row).
int EndOfLine(int row) {
  for (int column = kColumns; column >= 1; --column)
    if (Cell(row, column) != ' ') return column + 1;
  return 1;
}

// The field around the review cursor: the cells of the cursor cell's
// attribute that hold no separator. Empty (last < first) when the cursor
// stands on a separator.
struct Field {
  int first;
  int last;
};

Field CurrentField() {
  const Review& r = R();
  uint8_t attribute = Attribute(r.row, r.column);
  auto inside = [&](int column) {
    return column >= 1 && column <= kColumns && Attribute(r.row, column) == attribute &&
           !IsFieldSeparator(Cell(r.row, column));
  };
  int first = r.column;
  while (inside(first)) --first;
  int last = r.column;
  while (inside(last)) ++last;
  return Field{first + 1, last - 1};
}

// --- reading words and ranges ---------------------------------------------------

// Reads the word at the review cursor, no further than `limit`: blanks are
// skipped, then the character there and the word characters after it are
// taken. One sign alone takes its repetitions with it, heard at most three
// times; a word of consonants only is spelled.
void ReadWord(int limit) {
  Review& r = R();
  while (r.column < limit && Cell(r.row, r.column) == ' ') ++r.column;
  if (r.column > limit || Cell(r.row, r.column) == ' ') return;
  std::string word;
  do {
    GotoXY(r.column, r.row);
    word += static_cast<char>(Cell(r.row, r.column));
    ++r.column;
  } while (r.column <= limit && IsWordCharacter(Cell(r.row, r.column)));
  if (word.size() == 1) {
    uint8_t sign = static_cast<uint8_t>(word[0]);
    while (r.column <= limit && Cell(r.row, r.column) == sign) {
      if (word.size() < kRepeatedSigns) word += static_cast<char>(sign);
      ++r.column;
    }
    speech::Speak(word);
    return;
  }
  bool consonants = true;
  for (char c : word) consonants = consonants && IsConsonant(static_cast<uint8_t>(c));
  if (consonants) speech::Spell(word);
  else speech::Speak(word);
}

void ReadLine(int row) { ReadRange(row, 1, row, true, kColumns); }

// --- moving ---------------------------------------------------------------------

void PreviousWord() {
  Review& r = R();
  int column = r.column - 1;
  while (column >= 1 && Cell(r.row, column) == ' ') --column;
  if (column < 1) {
    speech::PlayBeep();
    r.column = 1;
    return;
  }
  while (column >= 1 && Cell(r.row, column) != ' ') --column;
  if (column < 1) speech::PlayBeep();
  else speech::PlayClick();
  r.column = column + 1;
}

void NextWord() {
  Review& r = R();
  int column = r.column;
  while (column <= kColumns && Cell(r.row, column) != ' ') ++column;
  while (column <= kColumns && Cell(r.row, column) == ' ') ++column;
  if (column <= kColumns) {
    speech::PlayClick();
    r.column = column;
  } else {
    speech::PlayBeep();
    r.column = EndOfLine(r.row);
  }
}

bool IsAsciiLetter(uint8_t c) { return c < 128 && std::isalpha(c); }

// Goes to the first (or last) letter A-Z on the screen and reads its line.
void GoToLetter(bool last) {
  Review& r = R();
  for (int step = 0; step < kRows * kColumns; ++step) {
    int index = last ? kRows * kColumns - 1 - step : step;
    int row = index / kColumns + 1;
    int column = index % kColumns + 1;
    if (IsAsciiLetter(Cell(row, column))) {
      r.row = row;
      r.column = column;
      ReadLine(row);
      return;
    }
  }
  speech::PlayBeep();
}

// Keeps the review cursor on the grid, with a beep for each step back.
void EnforceBounds() {
  Review& r = R();
  if (r.column < 1) {
    speech::PlayBeep();
    r.column = 1;
  }
  if (r.column > kPastEnd) {
    speech::PlayBeep();
    r.column = kColumns;
  }
  if (r.row < 1) {
    speech::PlayBeep();
    r.row = 1;
  }
  if (r.row > kRows) {
    speech::PlayBeep();
    r.row = kRows;
  }
}

// --- searching and going to ------------------------------------------------------

// The search runs from the review cursor's row down; the cells of that row up
// to the cursor are left out, so searching again finds the next occurrence.
void Search() {
  Review& r = R();
  if (!r.search.empty()) {
    for (int row = r.row; row <= kRows; ++row) {
      std::string line = ScreenRow(row);
      if (row == r.row) line.replace(0, std::min(r.column, kColumns), std::min(r.column, kColumns), '\0');
      size_t found = line.find(r.search);
      if (found != std::string::npos) {
        r.row = row;
        r.column = static_cast<int>(found) + 1;
        speech::PlayClick();
        return;
      }
    }
  }
  speech::PlayBeep();
  speech::PlayBeep();
}

// Reads the text to search for, saying each key; Enter searches, Esc gives up.
void AskAndSearch() {
  speech::Speak("Qual texto");
  std::string text;
  for (;;) {
    uint8_t key = ReadKey();
    if (key == kEscape) return;
    if (key == kEnter) break;
    if (key == 0) {
      ReadKey();  // extended keys take no part in a search text
    } else if (key == kBackspace) {
      if (!text.empty()) {
        char removed = text.back();
        text.pop_back();
        speech::PlayMessage("_DEL");
        speech::SayLetter(removed);
      }
    } else if (key >= 32 && text.size() < kLongestSearch) {
      text += static_cast<char>(key);
      speech::SayLetter(static_cast<char>(key));
    }
  }
  R().search = text;
  Search();
}

// Two digits of the row and two of the column, each said as typed.
void GoTo() {
  speech::Speak("Entre linha e coluna");
  int digits[4];
  for (int& digit : digits) {
    uint8_t key = ReadKey();
    if (key == 0) ReadKey();
    if (key < '0' || key > '9') {
      speech::PlayBeep();
      speech::PlayBeep();
      return;
    }
    speech::SayLetter(static_cast<char>(key));
    digit = key - '0';
  }
  R().row = digits[0] * 10 + digits[1];
  R().column = digits[2] * 10 + digits[3];
}

// --- the key loop -------------------------------------------------------------------

// F, I or L/T names the span (from, up to, the whole) and C, L or T the
// extent (field, line, screen).
void TwoLetterCommand(uint8_t first) {
  char span = static_cast<char>(std::toupper(first));
  if (span == 'L') span = 'T';
  if (span != 'F' && span != 'I' && span != 'T') {
    BeepClickBeep();
    return;
  }
  uint8_t second = ReadKey();
  if (second == 0) ReadKey();
  char extent = second < 128 ? static_cast<char>(std::toupper(second)) : 0;
  if (extent != 'C' && extent != 'L' && extent != 'T') {
    BeepClickBeep();
    return;
  }
  Review& r = R();
  Field field = CurrentField();
  switch (span) {
    case 'I':
      if (extent == 'T') ReadRange(1, 1, r.row, false, r.column - 1);
      else if (extent == 'L') ReadRange(r.row, 1, r.row, true, r.column - 1);
      else ReadRange(r.row, field.first, r.row, true, r.column);
      break;
    case 'T':
      if (extent == 'T') ReadRange(1, 1, kRows, false, kColumns);
      else if (extent == 'L') ReadRange(r.row, 1, r.row, true, kColumns);
      else ReadRange(r.row, field.first, r.row, true, field.last);
      break;
    default:  // 'F'
      if (extent == 'T') ReadRange(r.row, r.column, kRows, false, kColumns);
      else if (extent == 'L') ReadRange(r.row, r.column, r.row, true, kColumns);
      else ReadRange(r.row, r.column, r.row, true, field.last);
      break;
  }
}

void CopyScreen() {
  std::string text;
  for (int row = 1; row <= kRows; ++row) text += ScreenRow(row) + "\r\n";
  CopyToClipboard(text);
}

void PlainKey(uint8_t key) {
  Review& r = R();
  switch (key) {
    case 3:
      CopyScreen();
      return;
    case 9: {
      // The keyboard gives Shift+Tab as a Tab typed with Shift.
      if (LastKeyModifiers().shift) {
        r.column = CurrentField().first - 2;
        speech::PlayClick();
        return;
      }
      int column = CurrentField().last + 2;
      if (column <= kColumns) {
        r.column = column;
        speech::PlayClick();
      } else {
        r.column = EndOfLine(r.row);
      }
      return;
    }
    case 11:
    case 12:
      speech::Speak(std::to_string(r.row) + " " + std::to_string(r.column));
      return;
    case kEnter:
      ++r.row;
      r.column = 1;
      speech::PlayClick();
      return;
    case ' ':
      ReadLine(r.row);
      return;
    default:
      if (key < 128 && std::isalpha(key)) TwoLetterCommand(key);
      else BeepClickBeep();
  }
}

void ExtendedKey(uint8_t code) {
  Review& r = R();
  switch (code) {
    case kShiftTab:
      r.column = CurrentField().first - 2;
      speech::PlayClick();
      break;
    case kF1:
      if (!(KeyPressed() && speech::EngineActive())) ReadWord(kColumns);
      if (r.column > kColumns - 1) {
        speech::PlayClick();
        r.column = EndOfLine(r.row);
      }
      break;
    case kF5:
      AskAndSearch();
      break;
    case kF6:
      GoTo();
      break;
    case kHome:
      r.column = 1;
      break;
    case kUp:
      r.column = 1;
      if (r.row <= 1) {
        speech::PlayBeep();
        r.row = 1;
      } else {
        ReadLine(--r.row);
      }
      break;
    case kPageUp:
      r.row = r.column = 1;
      ReadLine(r.row);
      break;
    case kLeft:
      if (r.column <= 1) {
        speech::PlayBeep();
      } else {
        speech::SayLetter(static_cast<char>(Cell(r.row, r.column - 1)));
        --r.column;
      }
      break;
    case kRight:
      if (r.column >= kPastEnd) {
        speech::PlayBeep();
      } else {
        speech::SayLetter(static_cast<char>(Cell(r.row, r.column)));
        ++r.column;
      }
      break;
    case kEnd:
      r.column = EndOfLine(r.row);
      break;
    case kDown:
      r.column = 1;
      speech::PlayClick();
      if (r.row >= kRows) {
        speech::PlayBeep();
        r.row = kRows;
      } else {
        ReadLine(++r.row);
      }
      break;
    case kPageDown:
      r.row = kRows;
      r.column = 1;
      ReadLine(r.row);
      break;
    case kCtrlF1: {
      Field field = CurrentField();
      ReadRange(r.row, field.first, r.row, true, field.last);
      break;
    }
    case kCtrlF5:
      Search();
      break;
    case kCtrlLeft:
      PreviousWord();
      break;
    case kCtrlRight:
      NextWord();
      break;
    case kCtrlPageDown:
      GoToLetter(true);
      break;
    case kCtrlPageUp:
      GoToLetter(false);
      break;
    default:
      BeepClickBeep();
  }
}

}  // namespace

void ReadRange(int first_row, int first_column, int last_row, bool restore, int last_column) {
  if (first_row == last_row && last_column < first_column) {
    speech::PlayBeep();
    return;
  }
  Review& r = R();
  Review saved = r;
  r.column = first_column;
  int row = first_row;
  for (; row <= last_row; ++row) {
    r.row = row;
    int end = row == last_row ? last_column : kColumns;
    if (speech::EngineActive()) {
      std::string text;
      for (int column = r.column; column <= end; ++column) text += static_cast<char>(Cell(row, column));
      speech::Speak(text);
      r.column = end + 1;
    } else {
      while (!KeyPressed()) {
        while (r.column <= end && Cell(row, r.column) == ' ') ++r.column;
        if (r.column > end) break;
        ReadWord(end);
      }
    }
    if (KeyPressed()) break;
    speech::PlayClick();
    r.column = 1;
  }
  speech::IsSpeaking();
  if (last_column >= kColumns) {
    r.row = std::min(row, last_row);
    r.column = EndOfLine(r.row);
  }
  if (restore) {
    r.row = saved.row;
    r.column = saved.column;
  }
}

void ReviewScreen() {
  speech::PlayBeep();
  Review& r = R();
  const int saved_column = WhereX();
  const int saved_row = WhereY();
  r.row = saved_row;
  r.column = saved_column;
  for (;;) {
    GotoXY(r.column, r.row);
    uint8_t key = ReadKey();
    if (key == kEscape) break;
    if (key == 0) ExtendedKey(ReadKey());
    else PlainKey(key);
    EnforceBounds();
  }
  speech::PlayBeep();
  speech::PlayBeep();
  GotoXY(saved_column, saved_row);
}

void ResetReviewForTests() { R() = Review(); }

}  // namespace console
