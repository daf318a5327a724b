// keyscript: the harness's key script (TESSEL_KEYS=FILE).
//
// Each character of the file is typed as itself (UTF-8 in the file, Latin-1
// in the queue); line breaks are ignored. "{Name}" types a named key (Enter,
// Esc, Tab, Backspace, Space, F1-F12, Up, Down, Left, Right, Home, End, PgUp,
// PgDn, Ins, Del, Break, or a single character), with optional prefixes
// "Ctrl+", "Shift+", "Alt+" in any combination; "{{" types "{";
// "{Down:K}" and "{Up:K}" press and release a key separately (Braille
// chords); "{wait N}" lets N milliseconds of program time pass before the
// next key is released.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/events.h"

namespace platform {

struct KeyAction {
  enum class Kind { Type, Press, Release, Wait };
  Kind kind = Kind::Type;
  Key key = Key::None;
  uint8_t symbol = 0;     // Letter / Digit keys
  uint8_t character = 0;  // the character a Type action types (0: none)
  bool has_character = false;
  bool ctrl = false, shift = false, alt = false;
  int wait_ms = 0;
};

// Parses a key script; false (with `error` set) on a malformed "{...}".
bool ParseKeyScript(std::string_view utf8, std::vector<KeyAction>& actions, std::string& error);

// Posts the events one action stands for (KeyDown, Char, KeyUp ...).
void PostKeyAction(const KeyAction& action);

}  // namespace platform
