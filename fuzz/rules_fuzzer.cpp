// Fuzz target: the letter-to-sound rules and exceptions files. The input is
// the rules file, the exceptions file and a text, separated by lines "==";
// the text is turned into phonemes with them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "synth/translator_rules.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_support::HeadlessEnvironment();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto parts = fuzz_support::Parts(data, size, "\n==\n");
  std::string rules = fuzz_support::WriteFile("regras.rgr", parts[0]);
  std::string exceptions = fuzz_support::WriteFile("portug.exc", parts.size() > 1 ? parts[1] : "");
  std::string text(parts.size() > 2 ? parts[2] : "casa de papel");
  if (synth::LoadTranslatorRules(rules) && synth::LoadTranslatorExceptions(exceptions)) {
    synth::TextToPhonemes(text.substr(0, 512));
  }
  synth::FreeTranslatorRules();
  return 0;
}
