// Fuzz target: WAV files and WAV images through the player (null audio,
// virtual time), and a WAV file opened and played through the media layer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "console/console.h"
#include "fuzz_support.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/media.h"
#include "speech/wav_player.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_support::HeadlessEnvironment();
  platform::ClockInit(platform::TimeMode::Virtual);
  console::ResetForTests();
  speech::WavPlayerStart();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = fuzz_support::WriteFile("in.wav", std::string(reinterpret_cast<const char*>(data), size));
  speech::SetFastPlayback(size > 0 && (data[0] & 1));
  speech::SetCompression(size > 0 && (data[0] & 2));
  speech::PlayWavImage(data, size);
  speech::WavStop();
  speech::PlayWavFile(path);
  speech::WavStop();
  std::string answer;
  platform::media::SendCommand("open \"" + path + "\" alias f", answer);
  platform::media::SendCommand("status f length", answer);
  platform::media::SendCommand("play f wait", answer);
  platform::media::CloseAll();
  return 0;
}
