// DIGITA, ACIONA and CLICA: keys and clicks for the foreground program.
#include <cstdint>
#include <string>

#include "automation/commands.h"
#include "automation/waits.h"
#include "console/console.h"
#include "data/command_text.h"
#include "interpreter/operands.h"
#include "platform/desktop/desktop.h"
#include "platform/input/input.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace automation {
namespace {

namespace input = platform::input;

constexpr int kShift = 1, kCtrl = 2, kAlt = 4;
constexpr int kEnter = 13;
constexpr int kNumLock = 144;

// The other program has to take each key in: the pauses are real time.
void Pause(int ms) { WaitReal(ms, nullptr); }

// One key event, then this program's own messages.
void KeyEvent(int keycode, bool down) {
  input::SendKey(keycode, down);
  console::PumpMessages();
}

// Press key: NumLock flips its state; any other key is pressed `repeat`
// times, and released each time when `release` is set.
void PressKey(int virtual_key, int repeat, bool release) {
  if (virtual_key == kNumLock) {
    input::ToggleNumLock();
    return;
  }
  int keycode = input::KeycodeOfVirtualKey(virtual_key);
  if (keycode == 0) return;
  for (int i = 0; i < repeat; ++i) {
    KeyEvent(keycode, true);
    if (release) KeyEvent(keycode, false);
  }
}

// Press combination: Shift, Ctrl, Alt down (as asked), the key, then the
// modifiers up in the same order.
void PressCombination(int virtual_key, int modifiers, int repeat, bool release) {
  if (modifiers & kShift) KeyEvent(input::ShiftKey(), true);
  if (modifiers & kCtrl) KeyEvent(input::ControlKey(), true);
  if (modifiers & kAlt) KeyEvent(input::AltKey(), true);
  PressKey(virtual_key, repeat, release);
  if (modifiers & kShift) KeyEvent(input::ShiftKey(), false);
  if (modifiers & kCtrl) KeyEvent(input::ControlKey(), false);
  if (modifiers & kAlt) KeyEvent(input::AltKey(), false);
}

void SendKeyWithPause(int virtual_key, int modifiers, int pause) {
  PressCombination(virtual_key, modifiers, 1, true);
  Pause(pause);
}

// A stroke found on the layout, with its level shifts.
void PressStroke(const input::Stroke& stroke) {
  if (stroke.shift) KeyEvent(input::ShiftKey(), true);
  if (stroke.altgr) KeyEvent(input::AltGrKey(), true);
  KeyEvent(stroke.keycode, true);
  KeyEvent(stroke.keycode, false);
  if (stroke.shift) KeyEvent(input::ShiftKey(), false);
  if (stroke.altgr) KeyEvent(input::AltGrKey(), false);
}

// The dead key and base letter of a Latin-1 character from 128 to 255: a
// letter with a grave, acute, circumflex, tilde or diaeresis is typed as that
// accent's dead key and the bare letter; everything else as itself ("_").
struct AccentPair {
  uint8_t dead;
  uint8_t base;
};

AccentPair AccentOf(uint8_t c) {
  // Rows of the accented letters: base letter, then which accent each of
  // the following codes carries.
  struct Row {
    uint8_t first;
    char base;
    const char* accents;  // one of ` ' ^ ~ : per code, "." for none
  };
  static const Row kRows[] = {
      {0xC0, 'A', "`'^~:."}, {0xC8, 'E', "`'^:"}, {0xCC, 'I', "`'^:"}, {0xD1, 'N', "~"},
      {0xD2, 'O', "`'^~:"},   {0xD9, 'U', "`'^:"}, {0xDD, 'Y', "'"},
  };
  AccentPair plain{'_', c};
  if (c < 0xC0) return plain;
  bool small = c >= 0xE0;
  uint8_t capital = small ? static_cast<uint8_t>(c - 0x20) : c;
  if (c == 0xFF) return AccentPair{0xA8, 'y'};
  for (const Row& row : kRows) {
    const std::string accents = row.accents;
    if (capital < row.first || capital >= row.first + accents.size()) continue;
    char accent = accents[capital - row.first];
    uint8_t dead = 0;
    switch (accent) {
      case '`': dead = '`'; break;
      case '\'': dead = 0xB4; break;
      case '^': dead = '^'; break;
      case '~': dead = '~'; break;
      case ':': dead = 0xA8; break;
      default: return plain;
    }
    char base = small ? static_cast<char>(row.base + 0x20) : row.base;
    return AccentPair{dead, static_cast<uint8_t>(base)};
  }
  return plain;
}

// Types a character the layout may lack: its own key, else a key lent to it.
bool TypeOwnKey(uint8_t c) {
  input::Stroke stroke;
  if (input::StrokeForCharacter(c, stroke) || input::BorrowKeyFor(c, stroke)) {
    PressStroke(stroke);
    return true;
  }
  return false;
}

void TypeCharacter(uint8_t c, int pause) {
  if (c < 32) {
    SendKeyWithPause(c + 64, kCtrl, pause);
    Pause(pause);
    return;
  }
  input::Stroke stroke;
  if (c < 128 || input::StrokeForCharacter(c, stroke)) {
    // The layout's own key for the character (or, lacking one, a lent key).
    if (stroke.keycode) PressStroke(stroke);
    else TypeOwnKey(c);
    Pause(pause);
    return;
  }
  AccentPair pair = AccentOf(c);
  input::Stroke dead, base;
  if (pair.dead != '_' && input::StrokeForDeadKey(pair.dead, dead) && input::StrokeForCharacter(pair.base, base)) {
    PressStroke(dead);
    PressStroke(base);
  } else if (!TypeOwnKey(c)) {
    TypeOwnKey(' ');
  }
  Pause(pause);
}

// Tap character: the character's key without its level shifts.
void TapCharacter(uint8_t c) {
  if (c < 32 || c > 127) {
    TypeCharacter(c, 1);
    return;
  }
  input::Stroke stroke;
  if (!input::StrokeForCharacter(c, stroke) && !input::BorrowKeyFor(c, stroke)) return;
  KeyEvent(stroke.keycode, true);
  Pause(1);
  KeyEvent(stroke.keycode, false);
  Pause(1);
}

bool InputPresent() {
  if (input::Available()) return true;
  speech::WriteLineSpeak(kNoDesktop);
  return false;
}

struct KeyName {
  const char* name;
  int key;
};

const KeyName kKeyNames[] = {
    {"UP", 38},        {"DOWN", 40},   {"LEFT", 37},   {"RIGHT", 39},  {"ESCAPE", 27}, {"ESC", 27},
    {"ENTER", 13},     {"RETURN", 13}, {"BACKSPACE", 8}, {"TAB", 9},   {"INS", 45},    {"HOME", 36},
    {"DEL", 46},       {"DELETE", 46}, {"END", 35},    {"PAGEUP", 33}, {"PRIOR", 33},  {"PAGEDN", 34},
    {"NEXT", 34},      {"SNAPSHOT", 44},
};

// The virtual key a key name of ACIONA stands for; -1 when none.
int KeyOfName(const std::string& name) {
  for (const KeyName& entry : kKeyNames)
    if (name == entry.name) return entry.key;
  if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F') {
    int32_t number = 0;
    if (interp::ToInteger(name.substr(1), number) && number >= 1 && number <= 12) return 111 + number;
  }
  return -1;
}

}  // namespace

// DIGITA text [&]: types the text, 100 ms after each character, then Enter
// unless "&" is given.
bool CmdDigita(const std::string& arguments) {
  std::string rest = arguments, text;
  bool no_enter = data::TakeTrailingAmpersand(rest);
  if (!interp::ReadOperand(rest, text) || !rest.empty()) return false;
  if (!InputPresent()) return false;
  for (char c : text) TypeCharacter(static_cast<uint8_t>(c), 100);
  if (!no_enter) SendKeyWithPause(kEnter, 0, 100);
  return true;
}

// ACIONA key: one key or combination ("CTRL+", "SHIFT+", "ALT+" in that
// order), a key name, "#" and a virtual-key number, or one character.
bool CmdAciona(const std::string& arguments) {
  std::string rest = arguments, key;
  if (!interp::ReadOperand(rest, key) || key.empty() || !rest.empty()) return false;
  if (key.size() == 1) {
    if (!InputPresent()) return false;
    TapCharacter(static_cast<uint8_t>(key[0]));
    return true;
  }
  key = speech::UpperCasePt(key);
  int modifiers = 0;
  const struct {
    const char* prefix;
    int modifier;
  } kPrefixes[] = {{"CTRL+", kCtrl}, {"SHIFT+", kShift}, {"ALT+", kAlt}};
  for (const auto& prefix : kPrefixes) {
    if (key.compare(0, std::string(prefix.prefix).size(), prefix.prefix) == 0) {
      key.erase(0, std::string(prefix.prefix).size());
      modifiers |= prefix.modifier;
    }
  }
  if (key.empty()) return false;
  int virtual_key = KeyOfName(key);
  if (virtual_key < 0) {
    if (key[0] == '#' && key.size() > 1) {
      int32_t number = 0;
      if (!interp::ToInteger(key.substr(1), number)) return false;
      virtual_key = number & 0xFF;
    } else if (key.size() == 1) {
      virtual_key = static_cast<uint8_t>(key[0]);
    } else {
      return false;
    }
  }
  if (!InputPresent()) return false;
  SendKeyWithPause(virtual_key, modifiers, 100);
  return true;
}

// CLICA [DUPLO|NULO] [TELA] x [,] y: a click, a double click or a move, at a
// point of the screen (TELA) or of the foreground window.
bool CmdClica(const std::string& arguments) {
  std::string rest = data::TrimmedText(arguments);
  enum class Kind { Single, Double, Move } kind = Kind::Single;
  if (data::StartsWithKeyword(rest, "DUPLO")) {
    rest.erase(0, 5);
    kind = Kind::Double;
  } else if (data::StartsWithKeyword(rest, "NULO")) {
    rest.erase(0, 4);
    kind = Kind::Move;
  }
  rest = data::TrimmedText(rest);
  bool screen = data::StartsWithKeyword(rest, "TELA");
  if (screen) rest.erase(0, 4);
  rest = data::TrimmedText(rest);
  std::string x_text, y_text;
  int32_t x = 0, y = 0;
  if (!interp::ReadOperand(rest, x_text) || !interp::ToInteger(x_text, x)) return false;
  rest = data::TrimmedText(rest);
  if (!rest.empty() && rest[0] == ',') rest = data::TrimmedText(rest.substr(1));
  if (!interp::ReadOperand(rest, y_text) || !interp::ToInteger(y_text, y)) return false;
  if (!InputPresent()) return false;
  int origin_x = 0, origin_y = 0;
  if (!screen) {
    // The window's inner left edge, and 4 pixels below its top edge.
    int left = 0, top = 0, width = 0, height = 0, frame = 0;
    if (platform::desktop::ForegroundFrame(left, top, width, height, &frame)) {
      origin_x = left + frame;
      origin_y = top + 4;
    }
  }
  input::MoveMouse(origin_x + x, origin_y + y);
  console::PumpMessages();
  int clicks = kind == Kind::Move ? 0 : kind == Kind::Double ? 2 : 1;
  for (int i = 0; i < clicks; ++i) {
    input::SendButton(1, true);
    input::SendButton(1, false);
  }
  console::PumpMessages();
  return rest.empty();
}

}  // namespace automation
