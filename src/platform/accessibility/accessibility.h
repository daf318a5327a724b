// accessibility: the desktop's focus and its accessible objects, over AT-SPI2
// (libatspi on the accessibility bus).
//
// While monitoring, the events "an object received the focus" (code 0x8005)
// and "the foreground window changed" (code 3) are kept in a ring of 100
// entries, taken in only when Pump runs (the program's waits and the
// commands that read the ring). The ring is never checked for being full:
// after 100 unread events the write index meets the read index and the ring
// reads as empty. One accessible object is the current one; its properties
// are read on demand. Texts are Latin-1 on this side.
#pragma once
#include <string>

namespace platform::accessibility {

constexpr int kForegroundEvent = 3;
constexpr int kFocusEvent = 0x8005;

// Starts monitoring (again); returns once the listeners are registered and
// the programs on the desktop have been told of them. False when there is
// no accessibility bus.
bool StartMonitoring();
// Stops monitoring and drops the current object.
void StopMonitoring();
// Takes in the events that have come (only while monitoring).
void Pump();

// Takes the next event of the ring: -1 when the ring is empty; otherwise the
// event's object becomes the current one, and the result is 1 (0 when the
// object is gone: then there is no current object).
int TakeEvent();
// The object at a point of the screen becomes the current one; false (and
// no current object) when there is none.
bool CaptureAt(int x, int y);

struct Properties {
  bool has_area = false;  // false: the area is not known
  int left = 0, top = 0, width = 0, height = 0;
  std::string name;
  int role = 0;           // the Windows role number of the object's kind
  std::string role_text;  // that role's name in Portuguese
  std::string state;      // "marcado", "indisponível" or empty
  std::string value;
};
// Reads the current object; false when there is none.
bool ReadCurrent(Properties& properties);

}  // namespace platform::accessibility
