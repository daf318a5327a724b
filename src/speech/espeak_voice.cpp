// espeak_voice: espeak-ng's library says a text into memory; the WAV player
// plays it like any recorded sound.
#include "speech/espeak_voice.h"

#include <espeak-ng/speak_lib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/lifecycle.h"
#include "platform/log.h"
#include "platform/text.h"
#include "speech/speech.h"
#include "speech/wav_player.h"

namespace speech {
namespace {

std::vector<uint8_t>& Collected() {
  static std::vector<uint8_t> bytes;  // 16-bit little-endian mono
  return bytes;
}

int Collect(short* wave, int count, espeak_EVENT*) {
  for (int i = 0; wave && i < count; ++i) {
    const auto sample = static_cast<uint16_t>(wave[i]);
    Collected().push_back(static_cast<uint8_t>(sample & 0xFF));
    Collected().push_back(static_cast<uint8_t>(sample >> 8));
  }
  return 0;
}

}  // namespace

bool SayWithEspeak(const std::string& text) {
  platform::LogEvent("speak", text);
  Collected().clear();
  // espeak-ng is started once (it cannot be started again after it ended)
  // and ended with the program.
  static int rate = 0;
  static bool voice = false;
  if (rate == 0) {
    rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0) return false;
    platform::AtExit([] { espeak_Terminate(); });
    espeak_SetSynthCallback(Collect);
    voice = espeak_SetVoiceByName("pt-br") == EE_OK || espeak_SetVoiceByName("pt") == EE_OK;
  }
  if (rate <= 0 || !voice) return false;
  const std::string utf8 = platform::Latin1ToUtf8(text);
  const bool said =
      espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr) == EE_OK &&
      espeak_Synchronize() == EE_OK;
  if (!said || Collected().empty()) return false;
  // Played as it was made: neither compressed nor fast.
  const bool compression = Compression(), fast = FastPlayback();
  SetCompression(false);
  SetFastPlayback(false);
  platform::LogEvent("sound", std::to_string(Collected().size()) + " " + std::to_string(rate) + " 16 1");
  PlayPcm(Collected().data(), Collected().size(), rate, 1, 16);
  WaitWhileSpeaking();
  SetCompression(compression);
  SetFastPlayback(fast);
  Collected().clear();
  Collected().shrink_to_fit();
  return true;
}

}  // namespace speech
