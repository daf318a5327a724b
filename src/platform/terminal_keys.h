// terminal_keys: what a text terminal sends when a key is pressed, turned
// into the window layer's key events.
//
// A terminal in raw mode sends bytes only: printable characters (UTF-8),
// control bytes (Enter 13, Tab 9, Backspace 127 or 8, Ctrl+letter 1-26) and
// escape sequences for the other keys (xterm "ESC [ A", "ESC O P",
// "ESC [ 15 ~", with modifiers as "ESC [ 1 ; 5 A"). Alt+key comes as ESC
// followed by the key. A lone ESC is the Escape key only once no more bytes
// follow it, which the caller decides after a short pause.
#pragma once
#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/events.h"

namespace platform::terminal {

struct ParsedKeys {
  std::vector<Event> events;  // per key: KeyDown, Char (when it types one), KeyUp
  size_t consumed = 0;        // bytes of the input used; the rest waits for more
};

// Parses terminal input. When `input_complete` is false, an escape sequence
// or a UTF-8 character cut off at the end of `input` is left unconsumed, to
// be parsed again with the bytes that follow; when true (no byte came for a
// while) everything is consumed and a lone ESC is the Escape key.
// Ctrl+C (byte 3) is reported as Ctrl+Break, so the user can always end the
// program; Alt+key reports KeyDown and KeyUp without a Char.
ParsedKeys ParseTerminalKeys(std::string_view input, bool input_complete);

}  // namespace platform::terminal
