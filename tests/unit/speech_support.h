// Shared set-up for the speech tests: small WAV files made in memory, a
// voice folder of our own (letters, words, a tiny unit database, rules), and
// the harness log read back.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio.h"
#include "platform/log.h"
#include "speech/speech.h"
#include "test_support.h"

namespace speech_support {

// A WAV file image: 44-byte header, then `data` (PCM of the given format).
inline std::string WavFile(const std::vector<uint8_t>& data, int rate = 11025, int bits = 8, int channels = 1) {
  auto le = [](std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  std::string file = "RIFF";
  le(file, static_cast<uint32_t>(36 + data.size()), 4);
  file += "WAVEfmt ";
  le(file, 16, 4);
  le(file, 1, 2);
  le(file, static_cast<uint32_t>(channels), 2);
  le(file, static_cast<uint32_t>(rate), 4);
  le(file, static_cast<uint32_t>(rate * channels * bits / 8), 4);
  le(file, static_cast<uint32_t>(channels * bits / 8), 2);
  le(file, static_cast<uint32_t>(bits), 2);
  file += "data";
  le(file, static_cast<uint32_t>(data.size()), 4);
  file.append(data.begin(), data.end());
  return file;
}

// A file of the source tree, whole.
inline std::string ReadSourceFile(const std::string& relative) {
  std::ifstream in(std::string(TESSEL_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// `count` bytes of 8-bit sound, every one `value`.
inline std::vector<uint8_t> Samples(size_t count, uint8_t value) { return std::vector<uint8_t>(count, value); }

// The harness log of one test: opened on construction, read back by Lines.
class LogCapture {
 public:
  LogCapture() {
    path_ = folder_.path() / "log.txt";
    platform::LogClose();
    setenv("TESSEL_LOG", path_.c_str(), 1);
    platform::LogInit();
  }
  ~LogCapture() {
    platform::LogClose();
    unsetenv("TESSEL_LOG");
  }
  std::vector<std::string> Lines() const {
    std::ifstream in(path_);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
  }
  // The lines that start with `event` + " " (or equal `event`).
  std::vector<std::string> Events(const std::string& event) const {
    std::vector<std::string> found;
    for (const std::string& line : Lines())
      if (line == event || line.rfind(event + " ", 0) == 0) found.push_back(line);
    return found;
  }

 private:
  test_support::TempFolder folder_;
  std::filesystem::path path_;
};

// A unit of the tiny database: its name and length (all samples `value`).
struct TinyUnit {
  std::string name;
  size_t length;
  uint8_t value;
};

// A headless console whose MIRANE.INI points at a voice folder made here:
// letters/ with a 100-byte file for each key given, difones/ with the tiny
// units, the rules and the exceptions.
class VoiceFolder {
 public:
  VoiceFolder(const std::vector<std::string>& letter_keys, const std::vector<TinyUnit>& units,
              const std::string& rules, const std::string& exceptions, const std::string& extra_ini = "")
      : console_("") {
    const auto& root = console_.folder();
    root.Write("MIRANE.INI", "[TRADUTOR]\r\nDIRLETRAS=" + (root.path() / "letras").string() +
                                 "\r\nDIRDIFONES=" + (root.path() / "difones").string() + "\r\n" + extra_ini);
    std::filesystem::create_directories(root.path() / "letras");
    for (const std::string& key : letter_keys) root.Write("letras/" + key + ".wav", WavFile(Samples(100, 140)));
    std::string index, data;
    std::vector<TinyUnit> sorted = units;
    std::sort(sorted.begin(), sorted.end(), [](const TinyUnit& x, const TinyUnit& y) { return x.name < y.name; });
    for (const TinyUnit& unit : sorted) {
      std::string name = unit.name;
      index += static_cast<char>(name.size());
      name.resize(8, '\0');
      index += name;
      auto le = [&index](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) index += static_cast<char>((value >> (8 * i)) & 0xFF);
      };
      le(static_cast<uint32_t>(unit.length), 2);
      le(static_cast<uint32_t>(data.size()), 4);
      data += std::string(unit.length, static_cast<char>(unit.value));
    }
    root.Write("difones/DIFONES2.IND", index);
    root.Write("difones/DIFONES2.DIF", data);
    root.Write("difones/regras.rgr", rules);
    root.Write("difones/portug.exc", exceptions);
  }
  // The audio output starts afresh with the next test's clock.
  ~VoiceFolder() { platform::audio::Shutdown(); }
  const test_support::TempFolder& folder() const { return console_.folder(); }
  std::string Letters() const { return (folder().path() / "letras").string() + "\\"; }

 private:
  test_support::HeadlessConsole console_;
};

}  // namespace speech_support
