// Synthetic input over XTest; keys looked up with XKB on the current group.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdlib>

#include "platform/input/input.h"
#include "platform/lifecycle.h"

namespace platform::input {
namespace {

struct State {
  bool tried = false;
  Display* display = nullptr;
  int borrowed = 0;  // a key code lent to a character the layout lacks
};

State& S() {
  static State state;
  return state;
}

void GiveBack();

Display* Connection() {
  State& s = S();
  if (s.tried) return s.display;
  s.tried = true;
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return nullptr;
  s.display = XOpenDisplay(nullptr);
  if (!s.display) return nullptr;
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(s.display, &event, &error, &major, &minor)) {
    XCloseDisplay(s.display);
    s.display = nullptr;
    return nullptr;
  }
  platform::AtExit([] { Close(); });
  return s.display;
}

int KeycodeOf(KeySym keysym) {
  Display* display = Connection();
  return display ? XKeysymToKeycode(display, keysym) : 0;
}

// The key and level of the current group that give `keysym`.
bool FindStroke(KeySym keysym, Stroke& stroke) {
  Display* display = Connection();
  if (!display) return false;
  XkbStateRec state{};
  XkbGetState(display, XkbUseCoreKbd, &state);
  int minimum = 0, maximum = 0;
  XDisplayKeycodes(display, &minimum, &maximum);
  for (int level = 0; level < 4; ++level) {
    for (int keycode = minimum; keycode <= maximum; ++keycode) {
      if (XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), state.group, level) != keysym) continue;
      if (level >= 2 && AltGrKey() == 0) continue;
      stroke.keycode = keycode;
      stroke.shift = level == 1 || level == 3;
      stroke.altgr = level >= 2;
      return true;
    }
  }
  return false;
}

// The keysym of a Latin-1 character: the same number for 32-255.
KeySym KeysymOfCharacter(uint8_t character) {
  if (character == 0xA0) return XK_nobreakspace;
  return static_cast<KeySym>(character);
}

KeySym KeysymOfVirtualKey(int key) {
  if (key >= '0' && key <= '9') return static_cast<KeySym>(key);
  if (key >= 'A' && key <= 'Z') return static_cast<KeySym>(key - 'A' + 'a');
  if (key >= 112 && key <= 135) return XK_F1 + static_cast<KeySym>(key - 112);
  if (key >= 96 && key <= 105) return XK_KP_0 + static_cast<KeySym>(key - 96);
  switch (key) {
    case 3: return XK_Cancel;
    case 8: return XK_BackSpace;
    case 9: return XK_Tab;
    case 12: return XK_Clear;
    case 13: return XK_Return;
    case 16: case 160: return XK_Shift_L;
    case 161: return XK_Shift_R;
    case 17: case 162: return XK_Control_L;
    case 163: return XK_Control_R;
    case 18: case 164: return XK_Alt_L;
    case 165: return XK_ISO_Level3_Shift;
    case 19: return XK_Pause;
    case 20: return XK_Caps_Lock;
    case 27: return XK_Escape;
    case 32: return XK_space;
    case 33: return XK_Prior;
    case 34: return XK_Next;
    case 35: return XK_End;
    case 36: return XK_Home;
    case 37: return XK_Left;
    case 38: return XK_Up;
    case 39: return XK_Right;
    case 40: return XK_Down;
    case 41: return XK_Select;
    case 42: return XK_Print;
    case 43: return XK_Execute;
    case 44: return XK_Print;
    case 45: return XK_Insert;
    case 46: return XK_Delete;
    case 47: return XK_Help;
    case 91: return XK_Super_L;
    case 92: return XK_Super_R;
    case 93: return XK_Menu;
    case 106: return XK_KP_Multiply;
    case 107: return XK_KP_Add;
    case 108: return XK_KP_Separator;
    case 109: return XK_KP_Subtract;
    case 110: return XK_KP_Decimal;
    case 111: return XK_KP_Divide;
    case 144: return XK_Num_Lock;
    case 145: return XK_Scroll_Lock;
    // The punctuation keys, where a US keyboard has them.
    case 186: return XK_semicolon;
    case 187: return XK_equal;
    case 188: return XK_comma;
    case 189: return XK_minus;
    case 190: return XK_period;
    case 191: return XK_slash;
    case 192: return XK_grave;
    case 219: return XK_bracketleft;
    case 220: return XK_backslash;
    case 221: return XK_bracketright;
    case 222: return XK_apostrophe;
    default: return NoSymbol;
  }
}

void GiveBack() {
  State& s = S();
  if (!s.display || !s.borrowed) return;
  KeySym none[1] = {NoSymbol};
  XChangeKeyboardMapping(s.display, s.borrowed, 1, none, 1);
  XSync(s.display, False);
  s.borrowed = 0;
}

}  // namespace

bool Available() { return Connection() != nullptr; }

int KeycodeOfVirtualKey(int virtual_key) {
  KeySym keysym = KeysymOfVirtualKey(virtual_key);
  return keysym == NoSymbol ? 0 : KeycodeOf(keysym);
}

bool StrokeForCharacter(uint8_t character, Stroke& stroke) {
  stroke = Stroke{};
  if (character < 32 || character == 127) return false;
  return FindStroke(KeysymOfCharacter(character), stroke);
}

bool StrokeForDeadKey(uint8_t accent, Stroke& stroke) {
  stroke = Stroke{};
  KeySym dead = NoSymbol;
  switch (accent) {
    case '`': dead = XK_dead_grave; break;
    case 0xB4: dead = XK_dead_acute; break;
    case '^': dead = XK_dead_circumflex; break;
    case '~': dead = XK_dead_tilde; break;
    case 0xA8: dead = XK_dead_diaeresis; break;
    default: return false;
  }
  return FindStroke(dead, stroke);
}

bool BorrowKeyFor(uint8_t character, Stroke& stroke) {
  stroke = Stroke{};
  Display* display = Connection();
  if (!display || character < 32 || character == 127) return false;
  State& s = S();
  if (!s.borrowed) {
    int minimum = 0, maximum = 0, per_key = 0;
    XDisplayKeycodes(display, &minimum, &maximum);
    KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(minimum), maximum - minimum + 1, &per_key);
    if (!map) return false;
    for (int keycode = maximum; keycode >= minimum && !s.borrowed; --keycode) {
      bool empty = true;
      for (int i = 0; i < per_key; ++i)
        if (map[(keycode - minimum) * per_key + i] != NoSymbol) empty = false;
      if (empty) s.borrowed = keycode;
    }
    XFree(map);
    if (!s.borrowed) return false;
  }
  KeySym symbols[2] = {KeysymOfCharacter(character), KeysymOfCharacter(character)};
  XChangeKeyboardMapping(display, s.borrowed, 2, symbols, 1);
  XSync(display, False);
  stroke.keycode = s.borrowed;
  return true;
}

int ShiftKey() { return KeycodeOf(XK_Shift_L); }
int ControlKey() { return KeycodeOf(XK_Control_L); }
int AltKey() { return KeycodeOf(XK_Alt_L); }
int AltGrKey() {
  int key = KeycodeOf(XK_ISO_Level3_Shift);
  return key ? key : KeycodeOf(XK_Mode_switch);
}

void SendKey(int keycode, bool down) {
  Display* display = Connection();
  if (!display || keycode <= 0) return;
  XTestFakeKeyEvent(display, static_cast<unsigned>(keycode), down ? True : False, CurrentTime);
  XSync(display, False);
}

void ToggleNumLock() {
  int key = KeycodeOf(XK_Num_Lock);
  SendKey(key, true);
  SendKey(key, false);
}

void MoveMouse(int x, int y) {
  Display* display = Connection();
  if (!display) return;
  XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
  XSync(display, False);
}

void SendButton(int button, bool down) {
  Display* display = Connection();
  if (!display) return;
  XTestFakeButtonEvent(display, static_cast<unsigned>(button), down ? True : False, CurrentTime);
  XSync(display, False);
}

void Close() {
  State& s = S();
  GiveBack();
  if (s.display) XCloseDisplay(s.display);
  s.display = nullptr;
  s.tried = false;
}

}  // namespace platform::input
