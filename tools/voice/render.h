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
// empty when nothing could be rendered. `gain` scales espeak-ng's level
// (1.0 = full scale); every sound of the voice is made with the same gain,
// so they are levelled as one set.
std::vector<uint8_t> Render(const std::string& text, int words_per_minute, const Trim& trim, double gain);

// A recording before it is cut: samples at kRate in [-1, 1] (espeak-ng's
// level), and where each phoneme begins (sample positions, pauses left out).
struct Take {
  std::vector<double> samples;
  std::vector<size_t> phonemes;
};
Take RenderTake(const std::string& text, int words_per_minute);

// Where the sound is: the first and last sample above `share` of the peak
// in [from, to); false when there is none.
bool Sounding(const Take& take, size_t from, size_t to, double share, size_t& first, size_t& last);

// Samples [begin, end) of a take, scaled by `gain`, with linear fades of
// `fade_in_ms` and `fade_out_ms`, as 8-bit unsigned.
std::vector<uint8_t> Cut(const Take& take, size_t begin, size_t end, double gain, int fade_in_ms, int fade_out_ms);

// Telephone tone of one key (0-9, '#', '*'): its two frequencies for
// `ms` milliseconds, then silence.
std::vector<uint8_t> DualTone(char key, int ms);

// A WAV file with a 44-byte header (8-bit mono 11025 Hz).
bool WriteWav(const std::string& path, const std::vector<uint8_t>& samples);

}  // namespace voice
