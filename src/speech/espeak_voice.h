// espeak_voice: the one moment the own voice cannot speak, its own start
// failing, is said with espeak-ng's library (Brazilian Portuguese), so that a
// blind user hears why the program stops.
#pragma once
#include <string>

namespace speech {

// Says `text` (Latin-1) through the WAV player and waits until it has been
// heard or a key is pressed; false when espeak-ng cannot speak it.
bool SayWithEspeak(const std::string& text);

}  // namespace speech
