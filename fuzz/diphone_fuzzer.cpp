// Fuzz target: the diphone index and data files. The input is the index,
// the samples and a text, separated by lines "=="; the voice is opened with
// the project's own rules and the text said into a sink that keeps nothing.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "console/console.h"
#include "fuzz_support.h"
#include "platform/clock.h"
#include "synth/diphone_translator.h"
#include "synth/translator_rules.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_support::HeadlessEnvironment();
  platform::ClockInit(platform::TimeMode::Virtual);
  console::ResetForTests();
  namespace fs = std::filesystem;
  const fs::path folder = fuzz_support::Folder();
  fs::create_directories(folder / "difones");
  fs::create_directories(folder / "letras");
  const fs::path voice = fs::path(TESSEL_SOURCE_DIR) / "data" / "voice";
  fs::copy_file(voice / "regras.rgr", folder / "difones" / "regras.rgr");
  fs::copy_file(voice / "portug.exc", folder / "difones" / "portug.exc");
  fuzz_support::WriteFile("MIRANE.INI", "[TRADUTOR]\r\nDIRLETRAS=" + (folder / "letras").string() +
                                            "\r\nDIRDIFONES=" + (folder / "difones").string() + "\r\n");
  synth::SetImageSink([](const uint8_t*, size_t) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto parts = fuzz_support::Parts(data, size, "\n==\n");
  fuzz_support::WriteFile("difones/DIFONES2.IND", parts[0]);
  fuzz_support::WriteFile("difones/DIFONES2.DIF", parts.size() > 1 ? parts[1] : "");
  std::string text(parts.size() > 2 ? parts[2].substr(0, 256) : "casa");
  if (synth::TranslatorOpen() == 0) {
    synth::SayPhonemes(synth::TextToPhonemes(text));
    synth::SayPhonemes(text);
  }
  synth::TranslatorClose();
  return 0;
}
