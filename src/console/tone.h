// tone: square-wave tones played from memory (the Braille mode tones).
#pragma once

namespace console {

// Sounds a square wave of `hz` for `ms` milliseconds, waiting through the
// message pump, and logs "tone HZ MS".
void PlayTone(int hz, int ms);

// The default beep (what writing BEL sounds): a short square wave, logged as
// "beep".
constexpr int kDefaultBeepHz = 882;
constexpr int kDefaultBeepMs = 150;
void DefaultBeep();

}  // namespace console
