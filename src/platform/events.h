// events: the program thread's message queue.
//
// Back ends (window, terminal, headless key script, audio) turn what happens
// into Events and post them here; the console's message pump takes them off
// and dispatches them. Posting is thread-safe (the audio device posts its
// buffer-done events from its own thread); taking is done by the program
// thread only. Timed events are kept until program time reaches them.
#pragma once
#include <cstdint>

namespace platform {

// Keys as the window back ends report them, before the keyboard module turns
// them into PC-style key bytes.
enum class Key : uint8_t {
  None, Letter, Digit,  // `symbol` holds 'A'..'Z' or '0'..'9'
  F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12,
  Insert, Delete, Home, End, PageUp, PageDown, Up, Down, Left, Right,
  Enter, Backspace, Escape, Tab, Space, Break,
  Other,                // any other key: only its character (if any) matters
};

enum class EventType : uint8_t {
  KeyDown,      // key, symbol, modifiers
  KeyUp,        // key, symbol, modifiers
  Char,         // character: one Latin-1 byte, modifiers
  Close,        // the close box (or Alt+F4) of the console window
  Quit,         // the quit message: ends the program with exit code 255
  MouseMove,    // x, y in client pixels
  MouseRightDown,
  MouseRightUp,
  FocusGained,
  FocusLost,
  Expose,       // the back end needs a repaint of everything
  Wake,         // a wake-up message (1123, 2980): only ends a wait
  WaveDone,     // the audio device finished a buffer; param = buffer id
};

struct Event {
  EventType type = EventType::Wake;
  Key key = Key::None;
  uint8_t symbol = 0;      // 'A'..'Z' / '0'..'9' for Letter and Digit keys
  uint8_t character = 0;   // Latin-1 byte for Char
  bool ctrl = false, shift = false, alt = false;
  int x = 0, y = 0;
  int64_t param = 0;
};

// Posts an event at the end of the queue. Safe from any thread.
void PostEvent(const Event& event);

// Posts an event that becomes due when program time reaches `at_ms`.
void PostEventAt(int64_t at_ms, const Event& event);

// Takes the first due event; false when none is due.
bool TakeEvent(Event& event);

// True when an event is due now (TakeEvent would succeed).
bool EventsPending();

// Program time of the earliest pending timed event, or -1 when there is none.
int64_t NextTimedEventMs();

// Withdraws the timed events of `type` that program time has not reached yet
// (the audio layer's buffer-done events when playback is reset); those
// already due stay, as if they had been posted.
void CancelTimedEvents(EventType type);

// Blocks the calling thread until an event is posted or `timeout_ms` passes
// (real time). Used by back ends that have no event source of their own.
void WaitPosted(int64_t timeout_ms);

// Empties the queue (tests).
void ClearEvents();

}  // namespace platform
