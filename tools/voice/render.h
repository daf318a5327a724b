// render: how the voice generator records a sound. espeak-ng's library says
// a text (or a phoneme string in its "[[...]]" notation) with the Brazilian
// Portuguese voice; the result is trimmed, levelled and converted to what the
// own speaking path plays: 8-bit unsigned mono PCM at 11025 Hz.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace voice {

constexpr int kRate = 11025;

// Starts espeak-ng with the "pt-br" voice (else "pt"); false when neither
// can be used.
bool RenderInit(std::string& error);
void RenderEnd();

// How a recording is cut.
struct Trim {
  int lead_ms = 20;   // silence kept before the first sound (a stop's closure)
  int tail_ms = 10;   // silence kept after the last sound
};

// Says `text` (UTF-8; "[[...]]" parts are phonemes) at `words_per_minute`;
// empty when nothing could be rendered.
std::vector<uint8_t> Render(const std::string& text, int words_per_minute, const Trim& trim);

// Telephone tone of one key (0-9, '#', '*'): its two frequencies for
// `ms` milliseconds, then silence.
std::vector<uint8_t> DualTone(char key, int ms);

// A WAV file with a 44-byte header (8-bit mono 11025 Hz).
bool WriteWav(const std::string& path, const std::vector<uint8_t>& samples);

}  // namespace voice
