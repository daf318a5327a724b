// log: the harness's event log (TESSEL_LOG=FILE).
//
// One line per event, UTF-8: "speak TEXT", "spell TEXT", "play FILE",
// "sound BYTES RATE BITS CHANNELS", "tone HZ MS", "beep", "click",
// "title TEXT", "exit CODE", and the events later modules add. Without
// TESSEL_LOG nothing is written.
#pragma once
#include <string>
#include <string_view>

namespace platform {

// Opens the log named by TESSEL_LOG, if any.
void LogInit();
// Writes "EVENT TEXT" (or "EVENT" alone when text is empty); `text` is
// Latin-1 and written as UTF-8; line breaks inside it are written as "\n".
void LogEvent(std::string_view event, std::string_view text = {});
void LogClose();

}  // namespace platform
