// input: synthetic keyboard and mouse events for the desktop's foreground
// program, over X11's XTest extension, with keys looked up on the keyboard
// layout in force.
//
// Keys are X key codes here; the Windows virtual-key numbering the scripts
// use is translated by KeycodeOfVirtualKey. Opens the display ($DISPLAY) on
// first use; without one (or without XTest) Available() is false and the
// others do nothing.
#pragma once
#include <cstdint>

namespace platform::input {

bool Available();

// How one character is typed: a key and the level shifts it needs.
struct Stroke {
  int keycode = 0;
  bool shift = false;
  bool altgr = false;  // the third level (AltGr)
};

// The key of a Windows virtual-key code on this layout; 0 when none.
int KeycodeOfVirtualKey(int virtual_key);
// The key that gives the Latin-1 character on the layout in force; false
// when the layout has none.
bool StrokeForCharacter(uint8_t character, Stroke& stroke);
// The layout's dead key for an accent character ("`", "´", "^", "~", "¨");
// false when the layout has none.
bool StrokeForDeadKey(uint8_t accent, Stroke& stroke);
// A key for a character the layout lacks: a free key code is given the
// character for the next stroke (and given back at the next call or at
// the end). False when no key code is free.
bool BorrowKeyFor(uint8_t character, Stroke& stroke);
// The key codes of the modifiers.
int ShiftKey();
int ControlKey();
int AltKey();
int AltGrKey();

// One key event; the server has it when the call returns.
void SendKey(int keycode, bool down);
// Flips the NumLock state.
void ToggleNumLock();

void MoveMouse(int x, int y);
// Left button (1) down or up.
void SendButton(int button, bool down);

// Drops the connection (program end, tests).
void Close();

}  // namespace platform::input
