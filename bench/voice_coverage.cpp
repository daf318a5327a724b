// How much of Brazilian Portuguese the recorded voice covers: every word of
// a word list goes through the letter-to-sound rules and the diphone
// translator (its sound is thrown away), and each unit look-up is counted.
//
//   bench_voice_coverage [VOICE_FOLDER [WORD_LIST [LIMIT]]]
//
// VOICE_FOLDER defaults to the build's voice (build/voice), WORD_LIST to
// /usr/share/dict/brazilian (UTF-8, one word a line), LIMIT to all words.
// Prints the share of look-ups that find a recorded unit at the first try,
// the share that end in noise or in silence, and the words that do.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/text.h"
#include "synth/diphone_translator.h"
#include "synth/translator_rules.h"

namespace {

namespace fs = std::filesystem;

struct Counts {
  long lookups = 0;       // units the groups asked for
  long first_try = 0;     // ... found as asked
  long noise = 0;         // ... that ended (in part) in noise
  long silent = 0;        // ... that lost a part to silence
  long words = 0;
  long noisy_words = 0;
  long silent_words = 0;
};

}  // namespace

int main(int argc, char** argv) {
  fs::path voice = argc > 1 ? fs::path(argv[1]) : fs::path(TESSEL_BINARY).parent_path().parent_path() / "voice";
  fs::path list = argc > 2 ? fs::path(argv[2]) : fs::path("/usr/share/dict/brazilian");
  long limit = argc > 3 ? std::atol(argv[3]) : -1;

  // A Windows folder of our own whose MIRANE.INI points at the voice.
  fs::path windows = fs::temp_directory_path() / "tessel-voice-coverage";
  fs::create_directories(windows);
  {
    std::ofstream ini(windows / "MIRANE.INI", std::ios::binary);
    ini << "[TRADUTOR]\r\nDIRLETRAS=" << (voice / "letras").string() << "\r\nDIRDIFONES="
        << (voice / "difones").string() << "\r\n";
  }
  setenv("MIRANE_WINDIR", windows.c_str(), 1);
  int code = synth::TranslatorOpen();
  if (code != 0) {
    std::fprintf(stderr, "voice_coverage: the voice in %s cannot be opened (code %d)\n", voice.c_str(), code);
    return 1;
  }
  synth::SetTranslatorTiming(600, 1200, 300);

  Counts counts;
  std::map<std::string, long> missing;  // units asked for and not recorded
  std::vector<std::string> noisy, silent;
  bool word_noise = false, word_silent = false;
  bool unit_noise = false, unit_silent = false;
  std::string asked;  // the unit at depth 0 being resolved
  auto close_unit = [&] {
    if (asked.empty()) return;
    counts.noise += unit_noise;
    counts.silent += unit_silent;
    word_noise = word_noise || unit_noise;
    word_silent = word_silent || unit_silent;
    asked.clear();
  };
  synth::SetUnitObserver([&](const std::string& unit, synth::UnitOutcome outcome, int depth) {
    if (depth == 0) {
      close_unit();
      asked = unit;
      unit_noise = unit_silent = false;
      ++counts.lookups;
      if (outcome == synth::UnitOutcome::Found) ++counts.first_try;
      else ++missing[unit];
    }
    if (outcome == synth::UnitOutcome::Noise) unit_noise = true;
    if (outcome == synth::UnitOutcome::Silent) unit_silent = true;
  });
  synth::SetImageSink([](const uint8_t*, size_t) {});

  std::ifstream in(list);
  if (!in) {
    std::fprintf(stderr, "voice_coverage: cannot read %s\n", list.c_str());
    return 1;
  }
  auto start = std::chrono::steady_clock::now();
  std::string line;
  while (std::getline(in, line) && (limit < 0 || counts.words < limit)) {
    if (line.empty()) continue;
    std::string word = platform::Utf8ToLatin1(line);
    word_noise = word_silent = false;
    synth::SayPhonemes(synth::TextToPhonemes(word));
    close_unit();
    ++counts.words;
    if (word_noise) {
      ++counts.noisy_words;
      if (noisy.size() < 20) noisy.push_back(line);
    }
    if (word_silent) {
      ++counts.silent_words;
      if (silent.size() < 20) silent.push_back(line);
    }
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  synth::TranslatorClose();

  auto share = [](long part, long whole) { return whole ? 100.0 * static_cast<double>(part) / whole : 0.0; };
  std::printf("voice coverage over %ld words of %s (%.1f s)\n", counts.words, list.c_str(), seconds);
  std::printf("  unit look-ups:                 %ld\n", counts.lookups);
  std::printf("  found at the first try:        %.2f%%\n", share(counts.first_try, counts.lookups));
  std::printf("  ending (in part) in noise:     %.4f%%\n", share(counts.noise, counts.lookups));
  std::printf("  losing a part to silence:      %.4f%%\n", share(counts.silent, counts.lookups));
  std::printf("  words with noise:              %ld (%.4f%%)\n", counts.noisy_words,
              share(counts.noisy_words, counts.words));
  std::printf("  words with a silent part:      %ld (%.4f%%)\n", counts.silent_words,
              share(counts.silent_words, counts.words));
  std::vector<std::pair<long, std::string>> worst;
  for (const auto& [unit, count] : missing) worst.push_back({count, unit});
  std::sort(worst.rbegin(), worst.rend());
  std::printf("  units most often missing (said by splitting):");
  for (size_t i = 0; i < worst.size() && i < 12; ++i)
    std::printf(" %s (%ld)", platform::Latin1ToUtf8(worst[i].second).c_str(), worst[i].first);
  std::printf("\n");
  for (const std::string& word : noisy) std::printf("  noise in: %s\n", word.c_str());
  for (const std::string& word : silent) std::printf("  a silent part in: %s\n", word.c_str());
  return counts.noisy_words == 0 ? 0 : 2;
}
