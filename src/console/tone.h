// tone: square-wave tones played from memory (the Braille mode tones).
#pragma once

namespace console {

// Sounds a square wave of `hz` for `ms` milliseconds, waiting through the
// message pump, and logs "tone HZ MS".
void PlayTone(int hz, int ms);

}  // namespace console
