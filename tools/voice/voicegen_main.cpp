// tessel-voicegen DATA_FOLDER OUT_FOLDER
//
// Records the voice of the own speaking path with espeak-ng's library:
//   OUT/letras/   "_" + code + ".wav" for every character with a name
//                 (letras.txt), the word and message files (palavras.txt), the
//                 telephone tones "dtmf_0.wav" ... "dtmf_#.wav", "dtmf_X.wav"
//   OUT/difones/  DIFONES2.IND and DIFONES2.DIF (the units of units.cpp), and
//                 the rules and exceptions copied from DATA
// All sounds are 8-bit unsigned mono at 11025 Hz with a 44-byte header.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "render.h"
#include "units.h"

namespace {

namespace fs = std::filesystem;

const char kDatabase[] = "DIFONES2";
// Speaking rates (words per minute) of the recordings.
constexpr int kUnitRate = 185;
constexpr int kLetterRate = 175;
constexpr int kWordRate = 190;

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

  // Characters said by name, and the words and messages.
  std::vector<std::pair<std::string, std::string>> names, words;
  if (!ReadPairs(data / "letras.txt", names)) return Fail("cannot read letras.txt");
  if (!ReadPairs(data / "palavras.txt", words)) return Fail("cannot read palavras.txt");
  int files = 0;
  for (const auto& [code, text] : names) {
    voice::Trim trim;
    auto samples = voice::Render(text, kLetterRate, trim);
    if (samples.empty()) return Fail("nothing rendered for character " + code);
    if (!voice::WriteWav((letters / ("_" + code + ".wav")).string(), samples)) return Fail("cannot write");
    ++files;
  }
  for (const auto& [key, text] : words) {
    voice::Trim trim;
    trim.lead_ms = 5;  // number words follow each other without gaps
    trim.tail_ms = 5;
    auto samples = voice::Render(text, kWordRate, trim);
    if (samples.empty()) return Fail("nothing rendered for " + key);
    if (!voice::WriteWav((letters / (key + ".wav")).string(), samples)) return Fail("cannot write");
    ++files;
  }
  for (char key : std::string("0123456789#*")) {
    std::string name = std::string("dtmf_") + (key == '*' ? 'X' : key) + ".wav";
    if (!voice::WriteWav((letters / name).string(), voice::DualTone(key, 120))) return Fail("cannot write");
    ++files;
  }

  // The units: samples back to back in the data file, one 15-byte record
  // each in the index, sorted by name.
  std::string index, samples_out;
  int units = 0;
  for (const voice::UnitSpec& unit : voice::UnitInventory()) {
    voice::Trim trim;
    trim.tail_ms = 5;
    auto samples = voice::Render(unit.phonemes, kUnitRate, trim);
    if (samples.empty()) return Fail("nothing rendered for unit " + unit.name);
    if (samples.size() > 65535) samples.resize(65535);
    index += static_cast<char>(unit.name.size());
    std::string name = unit.name;
    name.resize(8, '\0');
    index += name;
    PutLe(index, static_cast<uint32_t>(samples.size()), 2);
    PutLe(index, static_cast<uint32_t>(samples_out.size()), 4);
    samples_out.append(samples.begin(), samples.end());
    ++units;
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
