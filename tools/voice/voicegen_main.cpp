// tessel-voicegen DATA_FOLDER OUT_FOLDER
//
// Records the voice of the own speaking path with espeak-ng's library:
//   OUT/letras/   "_" + code + ".wav" for every character with a name
//                 (letras.txt), the word and message files (palavras.txt), the
//                 telephone tones "dtmf_0.wav" ... "dtmf_#.wav", "dtmf_X.wav"
//   OUT/difones/  DIFONES2.IND and DIFONES2.DIF (the units of units.cpp), and
//                 the rules and exceptions copied from DATA
// All sounds are 8-bit unsigned mono at 11025 Hz with a 44-byte header.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "render.h"
#include "units.h"

namespace {

namespace fs = std::filesystem;

const char kDatabase[] = "DIFONES2";
// Speaking rates (words per minute) of the recordings: espeak-ng's default
// rate, so that units said whole last as its syllables do.
constexpr int kUnitRate = 250;
constexpr int kLetterRate = 175;
constexpr int kWordRate = 190;

size_t Ms(int ms) { return static_cast<size_t>(voice::kRate * ms / 1000); }

// Where a unit lies in its carrier (see units.h), with its fades.
struct Piece {
  voice::Take take;
  size_t begin = 0, end = 0;
  int fade_in_ms = 5, fade_out_ms = 5;
};

// The start of a consonant that follows a vowel: a stop keeps 20 ms of its
// closure before the burst; any other consonant begins where it takes over.
size_t ConsonantStart(const voice::Take& take, size_t vowel_at, size_t consonant_at, size_t limit, bool stop) {
  if (!stop) return consonant_at;
  size_t first, vowel_end, burst, last;
  if (!voice::Sounding(take, vowel_at, consonant_at, 0.03, first, vowel_end)) return consonant_at;
  if (!voice::Sounding(take, vowel_end + 1, limit, 0.03, burst, last)) return consonant_at;
  return std::max(vowel_end + 1, burst > Ms(20) ? burst - Ms(20) : 0);
}

Piece Place(const voice::UnitSpec& unit, voice::Take take) {
  Piece piece;
  const auto& at = take.phonemes;
  const size_t n = at.size(), size = take.samples.size();
  size_t first = 0, last = 0;
  bool whole = !voice::Sounding(take, 0, size, 0.03, first, last);
  piece.begin = first;
  piece.end = last + 1;
  switch (unit.cut) {
    case voice::UnitCut::OnsetVowel:  // a C 'V t a
      if (n >= 4 && !whole) {
        piece.begin = ConsonantStart(take, 0, at[1], at[n - 2], unit.stop);
        if (voice::Sounding(take, at[1], at[n - 2], 0.03, first, last)) piece.end = last + 1;
        piece.fade_in_ms = unit.stop ? 2 : 5;
      }
      break;
    case voice::UnitCut::Vowel:  // 'V t a
      if (n >= 3 && !whole && voice::Sounding(take, 0, at[n - 2], 0.03, first, last)) {
        piece.begin = first;
        piece.end = last + 1;
      }
      break;
    case voice::UnitCut::Diphthong:  // p 'D: from the steady vowel on
      if (n >= 2 && !whole) {
        piece.begin = std::min(at[1] + Ms(40), piece.end);
        piece.fade_in_ms = 10;
      }
      break;
    case voice::UnitCut::Consonant:  // p 'a C
      if (n >= 3 && !whole) {
        piece.begin = std::min(ConsonantStart(take, at[1], at[2], size, unit.stop), piece.end);
        piece.fade_in_ms = unit.stop ? 2 : 5;
      }
      break;
  }
  if (piece.begin >= piece.end) piece.begin = 0;
  // Only a stop begins with silence (its closure).
  if (!unit.stop && voice::Sounding(take, piece.begin, piece.end, 0.03, first, last) && first > piece.begin + Ms(2))
    piece.begin = first - Ms(2);
  // A silence inside the unit (a tap, a stop's hold) is kept under 25 ms,
  // so that no word has a gap a listener hears as a break.
  std::vector<double> kept(take.samples.begin(), take.samples.begin() + static_cast<long>(piece.begin));
  size_t run = 0;
  for (size_t i = piece.begin; i < piece.end; ++i) {
    run = std::fabs(take.samples[i]) < 0.004 ? run + 1 : 0;
    if (run <= Ms(25)) kept.push_back(take.samples[i]);
  }
  piece.end = kept.size();
  take.samples = std::move(kept);
  piece.take = std::move(take);
  return piece;
}

// The level of a unit as it is stored (8-bit, faded): the mean power of its
// 10 ms frames within 30 dB of the loudest, in dB of full scale.
double LevelDb(const std::vector<uint8_t>& samples) {
  const size_t frame = Ms(10);
  std::vector<double> powers;
  for (size_t at = 0; at + frame <= samples.size(); at += frame) {
    double power = 0;
    for (size_t i = at; i < at + frame; ++i) {
      const double value = (static_cast<int>(samples[i]) - 128) / 128.0;
      power += value * value;
    }
    powers.push_back(power / static_cast<double>(frame));
  }
  const double loudest = powers.empty() ? 0 : *std::max_element(powers.begin(), powers.end());
  double sum = 0;
  size_t frames = 0;
  for (double power : powers)
    if (power > 1e-9 && power > loudest / 1000) {
      sum += power;
      ++frames;
    }
  return frames ? 10 * std::log10(sum / static_cast<double>(frames)) : -99;
}

double Peak(const Piece& piece) {
  double peak = 0;
  for (size_t i = piece.begin; i < piece.end && i < piece.take.samples.size(); ++i)
    peak = std::max(peak, std::fabs(piece.take.samples[i]));
  return peak;
}

// "key=text" lines of a UTF-8 data file; lines starting with ";" are comments.
bool ReadPairs(const fs::path& path, std::vector<std::pair<std::string, std::string>>& pairs) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    size_t equals = line.find('=', 1);  // the key may itself be "="
    if (equals == std::string::npos) continue;
    pairs.emplace_back(line.substr(0, equals), line.substr(equals + 1));
  }
  return true;
}

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "tessel-voicegen: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: tessel-voicegen DATA_FOLDER OUT_FOLDER");
  const fs::path data = argv[1], out = argv[2];
  const fs::path letters = out / "letras", diphones = out / "difones";
  std::error_code error;
  fs::create_directories(letters, error);
  fs::create_directories(diphones, error);
  if (error) return Fail("cannot create " + out.string());
  auto start = std::chrono::steady_clock::now();

  std::string problem;
  if (!voice::RenderInit(problem)) return Fail(problem);

  // The units: each cut out of its carrier, then all levelled with one gain
  // (the loudest units, above the 99th percentile of peaks, are limited).
  std::vector<voice::UnitSpec> inventory = voice::UnitInventory();
  std::vector<Piece> pieces;
  std::vector<double> peaks;
  for (const voice::UnitSpec& unit : inventory) {
    pieces.push_back(Place(unit, voice::RenderTake(unit.phonemes, kUnitRate)));
    if (pieces.back().end <= pieces.back().begin) return Fail("nothing rendered for unit " + unit.name);
    peaks.push_back(Peak(pieces.back()));
  }
  std::sort(peaks.begin(), peaks.end());
  const double gain = 0.9 / std::max(0.05, peaks[peaks.size() * 99 / 100]);
  // Samples back to back in the data file, one 15-byte record each in the
  // index, sorted by name.
  std::string index, samples_out;
  int units = 0;
  // Within a phoneme class, no unit stands out: each is brought to within
  // 1 dB of its class's median level (as far as its peak allows).
  std::map<std::string, std::vector<double>> class_levels;
  std::vector<double> levels;
  for (size_t u = 0; u < inventory.size(); ++u) {
    const Piece& piece = pieces[u];
    levels.push_back(LevelDb(voice::Cut(piece.take, piece.begin, piece.end, gain, piece.fade_in_ms, piece.fade_out_ms)));
    if (levels.back() > -90) class_levels[inventory[u].kind].push_back(levels.back());
  }
  std::map<std::string, double> medians;
  for (auto& [kind, values] : class_levels) {
    std::sort(values.begin(), values.end());
    medians[kind] = values[values.size() / 2];
  }
  for (size_t u = 0; u < inventory.size(); ++u) {
    const Piece& piece = pieces[u];
    double unit_gain = gain;
    if (levels[u] > -90) {
      const double median = medians[inventory[u].kind];
      const double wanted = std::clamp(levels[u], median - 1.0, median + 1.0);
      unit_gain = gain * std::pow(10.0, (wanted - levels[u]) / 20);
      const double peak = Peak(piece);
      if (peak * unit_gain > 0.99 && wanted > levels[u]) unit_gain = std::max(gain, 0.99 / peak);
    }
    auto samples = voice::Cut(piece.take, piece.begin, piece.end, unit_gain, piece.fade_in_ms, piece.fade_out_ms);
    if (samples.size() > 65535) samples.resize(65535);
    const std::string& unit_name = inventory[u].name;
    index += static_cast<char>(unit_name.size());
    std::string name = unit_name;
    name.resize(8, '\0');
    index += name;
    PutLe(index, static_cast<uint32_t>(samples.size()), 2);
    PutLe(index, static_cast<uint32_t>(samples_out.size()), 4);
    samples_out.append(samples.begin(), samples.end());
    ++units;
  }
  pieces.clear();

  // Characters said by name, and the words and messages.
  std::vector<std::pair<std::string, std::string>> names, words;
  if (!ReadPairs(data / "letras.txt", names)) return Fail("cannot read letras.txt");
  if (!ReadPairs(data / "palavras.txt", words)) return Fail("cannot read palavras.txt");
  int files = 0;
  for (const auto& [code, text] : names) {
    voice::Trim trim;
    auto samples = voice::Render(text, kLetterRate, trim, gain);
    if (samples.empty()) return Fail("nothing rendered for character " + code);
    if (!voice::WriteWav((letters / ("_" + code + ".wav")).string(), samples)) return Fail("cannot write");
    ++files;
  }
  for (const auto& [key, text] : words) {
    voice::Trim trim;
    trim.lead_ms = 5;  // number words follow each other without gaps
    trim.tail_ms = 5;
    auto samples = voice::Render(text, kWordRate, trim, gain);
    if (samples.empty()) return Fail("nothing rendered for " + key);
    if (!voice::WriteWav((letters / (key + ".wav")).string(), samples)) return Fail("cannot write");
    ++files;
  }
  for (char key : std::string("0123456789#*")) {
    std::string name = std::string("dtmf_") + (key == '*' ? 'X' : key) + ".wav";
    if (!voice::WriteWav((letters / name).string(), voice::DualTone(key, 120))) return Fail("cannot write");
    ++files;
  }

  voice::RenderEnd();
  {
    std::ofstream ind(diphones / (std::string(kDatabase) + ".IND"), std::ios::binary);
    std::ofstream dif(diphones / (std::string(kDatabase) + ".DIF"), std::ios::binary);
    ind << index;
    dif << samples_out;
    if (!ind || !dif) return Fail("cannot write the unit database");
  }
  for (const char* file : {"regras.rgr", "portug.exc"}) {
    fs::copy_file(data / file, diphones / file, fs::copy_options::overwrite_existing, error);
    if (error) return Fail(std::string("cannot copy ") + file);
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("tessel-voicegen: %d sound files, %d units (%zu bytes) in %.1f s\n", files, units,
              samples_out.size(), seconds);
  return 0;
}
