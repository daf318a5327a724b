#include "console/tone.h"

#include <string>
#include <vector>

#include "console/console.h"
#include "platform/audio.h"
#include "platform/log.h"

namespace console {

namespace {

void SoundSquareWave(int hz, int ms) {
  // One second of 8-bit mono PCM at 11025 Hz: each period of 11025 div hz
  // samples is a half at 96 and a half at 160.
  const int rate = 11025;
  std::vector<uint8_t> samples(rate, 128);
  int period = hz > 0 ? rate / hz : 0;
  if (period >= 2) {
    for (int i = 0; i < rate; ++i) samples[i] = (i % period) < period / 2 ? 96 : 160;
  }
  platform::audio::Init();
  platform::audio::Format format;
  format.rate = rate;
  format.bits = 8;
  format.channels = 1;
  platform::audio::StartLoop(samples.data(), samples.size(), format);
  Delay(static_cast<unsigned>(ms));
  platform::audio::StopLoop();
}

}  // namespace

void PlayTone(int hz, int ms) {
  platform::LogEvent("tone", std::to_string(hz) + " " + std::to_string(ms));
  SoundSquareWave(hz, ms);
}

void DefaultBeep() {
  platform::LogEvent("beep");
  SoundSquareWave(kDefaultBeepHz, kDefaultBeepMs);
}

}  // namespace console
