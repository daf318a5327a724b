// keyboard: the 64-byte key queue, PC-style key bytes and Braille chords.
//
// Ordinary characters are queued as their Latin-1 codes; function, cursor and
// editing keys, and Alt with a letter or digit, as a 0 followed by the PC key
// code (F1 59, Up 72, Down 80 ...). In Braille mode six keys of the keyboard
// (F D S J K L and Space) act as a Perkins chord keyboard.
#pragma once
#include <cstdint>
#include <string>

#include "platform/events.h"

namespace console {

// Creates the window if needed, pumps every pending message; true when a key
// byte is queued.
bool KeyPressed();
// Waits (through the pump) until a byte is queued, then takes it.
uint8_t ReadKey();
// The Shift, Ctrl and Alt keys held when a key was typed.
struct KeyModifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};
// Those that came with the last byte ReadKey returned.
KeyModifiers LastKeyModifiers();

// Bytes queued now.
int QueuedKeys();
// Drops every queued byte.
void FlushKeys();

// 0 off, 1 computer Braille, 2 Braille with number and capital signs; a value
// above 2 becomes 1. Sounds the mode's tones.
void SetBrailleMode(int mode);
int BrailleMode();

// Plain echoed line input: Enter ends, Backspace erases, at most 126
// characters; control bytes are ignored.
std::string ReadLinePlain();

// The pump hands key events here.
void HandleKeyEvent(const platform::Event& event);

// True while ReadKey waits (the caret is shown only then).
bool WaitingForKey();

void ResetKeyboardForTests();

}  // namespace console
