// Fuzz target: MCI command strings, one a line, against a folder holding a
// short sound (null audio, virtual time). Names that would reach outside
// that folder stand for no file.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "console/console.h"
#include "fuzz_support.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/media.h"
#include "speech/wav_player.h"

namespace {

// A WAV file of 200 samples of 8-bit mono at 11025 Hz.
std::string ShortSound() {
  std::string samples(200, '\x80');
  auto le = [](std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  std::string wav = "RIFF";
  le(wav, 36 + static_cast<uint32_t>(samples.size()), 4);
  wav += "WAVEfmt ";
  le(wav, 16, 4);
  le(wav, 1, 2);
  le(wav, 1, 2);
  le(wav, 11025, 4);
  le(wav, 11025, 4);
  le(wav, 1, 2);
  le(wav, 8, 2);
  wav += "data";
  le(wav, static_cast<uint32_t>(samples.size()), 4);
  return wav + samples;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_support::HeadlessEnvironment();
  platform::ClockInit(platform::TimeMode::Virtual);
  console::ResetForTests();
  speech::WavPlayerStart();
  fuzz_support::WriteFile("som.wav", ShortSound());
  std::filesystem::current_path(fuzz_support::Folder());
  platform::files::ConfineForTests(std::filesystem::canonical(fuzz_support::Folder()).string());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  for (int line = 0; line < 16 && start <= input.size(); ++line) {
    size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    std::string answer;
    platform::media::SendCommand(input.substr(start, end - start), answer);
    start = end + 1;
  }
  platform::media::CloseAll();
  return 0;
}
