// The diphone translator. Map: state; files and opening; the image (append,
// silence, noise, flush); units; groups and segments; SayPhonemes.
#include "synth/diphone_translator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/log.h"
#include "platform/settings.h"
#include "speech/settings.h"
#include "speech/speech.h"
#include "speech/wav_player.h"
#include "synth/translator_rules.h"

namespace synth {
namespace {

constexpr size_t kImageBytes = 64000;
constexpr size_t kHeaderBytes = speech::kWavHeaderBytes;
constexpr size_t kRecordBytes = 15;
constexpr size_t kLongestSegment = 40;
constexpr size_t kLongestUnit = 12;
constexpr uint8_t kSilence = 128;
constexpr size_t kNoiseBytes = 300;
// A unit cut short fades out over its last 6 ms.
constexpr size_t kFadeBytes = 66;
const char kDefaultLetters[] = "c:\\tarsel\\som\\letras";
const char kDefaultDiphones[] = "c:\\tarsel\\som\\difones";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

struct IndexRecord {
  std::string name;
  uint32_t length = 0;
  uint32_t offset = 0;
};

struct Translator {
  bool open = false;
  std::string database = "DIFONES2";
  int cut = 0;
  int floor = 0;
  int gap = 100;
  std::string letters_folder;   // ends in a separator
  std::string diphone_folder;   // ends in a separator
  std::vector<IndexRecord> index;
  std::unique_ptr<std::FILE, FileCloser> data;
  std::unique_ptr<uint8_t[]> image;
  size_t position = kHeaderBytes;  // write position in the image
  int mode = 1;                    // 1 word start, 2 stressed group, 0 after it
  uint32_t noise_seed = 12345;
  UnitObserver observer;
  ImageSink sink;
};

Translator& T() {
  static Translator translator;
  return translator;
}

bool EndsWithSeparator(const std::string& folder) {
  return !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
}

// A folder setting as a folder name ending in a separator; a relative one is
// taken from the current folder now.
std::string FolderSetting(const char* key, const char* fallback, const char* built_in_subfolder) {
  std::string folder = speech::VoiceFolderSetting(key, fallback, built_in_subfolder, 80);
  if (folder.empty()) return folder;
  bool absolute = folder[0] == '/' || folder[0] == '\\' || (folder.size() >= 2 && folder[1] == ':');
  if (!absolute) folder = platform::files::CurrentDirectory() + "/" + folder;
  if (!EndsWithSeparator(folder)) folder += '\\';
  return folder;
}

bool ReadIndex(const std::string& file_name, std::vector<IndexRecord>& index) {
  std::string contents;
  if (!platform::files::ReadAll(file_name, contents)) return false;
  index.clear();
  const size_t count = contents.size() / kRecordBytes;
  index.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const auto* r = reinterpret_cast<const uint8_t*>(contents.data() + i * kRecordBytes);
    IndexRecord record;
    record.name.assign(reinterpret_cast<const char*>(r + 1), std::min<size_t>(r[0], 8));
    record.length = static_cast<uint32_t>(r[9] | (r[10] << 8));
    record.offset = r[11] | (r[12] << 8) | (r[13] << 16) | (static_cast<uint32_t>(r[14]) << 24);
    index.push_back(std::move(record));
  }
  return true;
}

const IndexRecord* FindUnit(const std::string& name) {
  const auto& index = T().index;
  auto found = std::lower_bound(index.begin(), index.end(), name,
                                [](const IndexRecord& record, const std::string& key) { return record.name < key; });
  if (found == index.end() || found->name != name) return nullptr;
  return &*found;
}

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

// --- the image -------------------------------------------------------------------

void Flush() {
  Translator& t = T();
  if (t.position <= kHeaderBytes) return;
  speech::BuildWavHeader(t.image.get(), static_cast<uint32_t>(t.position - kHeaderBytes), 11025, 1, 8);
  size_t size = t.position;
  t.position = kHeaderBytes;
  if (t.sink) t.sink(t.image.get(), size);
  else speech::PlaySoundImage(t.image.get(), size);
}

// Makes room for `bytes` bytes, playing the image when it is full.
void MakeRoom(size_t bytes) {
  Translator& t = T();
  if (t.position + bytes < kImageBytes) return;
  Flush();
  if (!t.sink) speech::WaitWhileSpeaking();
}

void Append(const uint8_t* bytes, size_t count) {
  Translator& t = T();
  count = std::min(count, kImageBytes - kHeaderBytes - 1);  // a longer unit is cut to what fits
  MakeRoom(count);
  std::memcpy(t.image.get() + t.position, bytes, count);
  t.position += count;
}

void AppendFill(size_t count, uint8_t value) {
  Translator& t = T();
  count = std::min(count, kImageBytes - kHeaderBytes - 1);
  MakeRoom(count);
  std::memset(t.image.get() + t.position, value, count);
  t.position += count;
}

void AddSilence(int bytes) {
  for (int block = 0; block < bytes / 100; ++block) AppendFill(100, kSilence);
}

void AddNoise() {
  Translator& t = T();
  uint8_t noise[kNoiseBytes];
  for (uint8_t& byte : noise) {
    t.noise_seed = t.noise_seed * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(88 + (t.noise_seed >> 16) % 80);
  }
  Append(noise, kNoiseBytes);
}

// --- units -----------------------------------------------------------------------

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
bool SameMark(const uint8_t* bytes, const char* mark) {
  for (int i = 0; i < 4; ++i) {
    unsigned char a = bytes[i], b = static_cast<unsigned char>(mark[i]);
    if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 32);
    if (a != b) return false;
  }
  return true;
}

// Appends the "data" chunk of a letter file; false when it is missing or
// malformed.
bool AppendLetterFile(const std::string& unit) {
  std::string contents;
  if (!platform::files::ReadAll(T().letters_folder + unit + ".wav", contents)) return false;
  const auto* bytes = reinterpret_cast<const uint8_t*>(contents.data());
  const size_t size = contents.size();
  if (size < 20 || !SameMark(bytes, "RIFF") || !SameMark(bytes + 12, "FMT ")) return false;
  size_t at = 12;
  while (at + 8 <= size) {
    uint32_t chunk = Le32(bytes + at + 4);
    if (SameMark(bytes + at, "DATA")) {
      Append(bytes + at + 8, std::min<size_t>(chunk, size - at - 8));
      return true;
    }
    if (chunk > size - at - 8) return false;
    at += 8 + chunk + (chunk & 1);
  }
  return false;
}

}  // namespace

void FadeOut(uint8_t* samples, size_t count) {
  const size_t fade = std::min(count, kFadeBytes);
  for (size_t i = 0; i < fade; ++i) {
    uint8_t& sample = samples[count - fade + i];
    const int remaining = static_cast<int>(fade - i - 1);  // the last sample reaches silence
    const int value = static_cast<int>(sample) - kSilence;
    sample = static_cast<uint8_t>(kSilence + value * remaining / static_cast<int>(fade));
  }
}

namespace {

void AppendUnit(const IndexRecord& record, const std::string& name, int mode, double factor) {
  Translator& t = T();
  int64_t length = record.length;
  if ((mode == 0 || mode == 1) && name.size() > 2) {
    length -= t.cut;
    if (length < t.floor) length = std::min<int64_t>(record.length, t.floor);
  }
  if (length <= 0) return;
  size_t bytes = static_cast<size_t>(static_cast<double>(length) * factor);
  if (bytes == 0) return;
  // A unit is at most 65535 bytes long (its length field has 16 bits).
  static uint8_t samples[65536];
  bytes = std::min(bytes, sizeof samples);
  if (std::fseek(t.data.get(), static_cast<long>(record.offset), SEEK_SET) != 0) return;
  size_t got = std::fread(samples, 1, bytes, t.data.get());
  // A unit said shorter than recorded (the cut, a factor) would end on a
  // step: its last milliseconds fade to silence instead.
  if (got < record.length) FadeOut(samples, got);
  Append(samples, got);
}

void Observe(const std::string& unit, UnitOutcome outcome, int depth) {
  if (T().observer) T().observer(unit, outcome, depth);
}

bool EndsWith(const std::string& text, const char* tail) {
  size_t length = std::strlen(tail);
  return text.size() >= length && text.compare(text.size() - length, length, tail) == 0;
}

bool IsVowelOrGlide(char c) { return std::strchr("AEIOUaeiouwy", c) != nullptr && c != '\0'; }

// Says one unit; a missing unit is split into smaller ones, down to noise.
void SayUnit(std::string unit, int mode, double factor, int depth = 0) {
  unit = unit.substr(0, kLongestUnit);
  if (unit.empty()) return;
  bool found = false;
  std::string said = unit;
  if (unit[0] == '_') {
    found = AppendLetterFile(unit);
  } else {
    said = UpperAscii(unit);
    if (const IndexRecord* record = FindUnit(said)) {
      AppendUnit(*record, said, mode, factor);
      found = true;
    }
  }
  if (found) {
    platform::LogEvent("unit", said);
    Observe(said, UnitOutcome::Found, depth);
    return;
  }
  if (unit.size() <= 2) {
    AddNoise();
    Observe(said, UnitOutcome::Noise, depth);
    return;
  }
  const char last = unit.back();
  if (IsVowelOrGlide(last)) {
    Observe(said, UnitOutcome::Split, depth);
    SayUnit(unit.substr(0, unit.size() - 1), mode, 0.9 * factor, depth + 1);
    SayUnit(std::string("$") + last, mode, factor, depth + 1);
  } else if (EndsWith(unit, "CIRC") && unit.size() >= 7) {
    Observe(said, UnitOutcome::Split, depth);
    SayUnit(unit.substr(0, unit.size() - 5), mode, 0.9 * factor, depth + 1);
    SayUnit("$" + unit.substr(unit.size() - 5), mode, factor, depth + 1);
  } else if (EndsWith(unit, "TIL")) {
    Observe(said, UnitOutcome::Split, depth);
    std::string vowel = unit.substr(0, unit.size() - 3);
    char end = vowel.empty() ? '\0' : vowel.back();
    if (end == 'I' || end == 'U' || end == 'i' || end == 'u') SayUnit(vowel, mode, 0.9 * factor, depth + 1);
    else SayUnit(vowel + "CIRC", 2, 0.9 * factor, depth + 1);
    SayUnit("$nn", 1, 0.9, depth + 1);
  } else {
    Observe(said, UnitOutcome::Silent, depth);
  }
}

// --- groups and segments -------------------------------------------------------------

bool IsConsonant(char c) { return c != '\0' && std::strchr("bcdfgjklmnpqrstvxz", c) != nullptr; }
bool IsStressedVowel(char c) { return c == 'A' || c == 'E' || c == 'I' || c == 'O' || c == 'U'; }

void SayGroup(const std::string& group, double factor) {
  Translator& t = T();
  if (group.empty()) return;
  if (group[0] == '_') {
    // A character read by name: "_b" is the letter file "_98"; a longer
    // name is a letter file of its own ("_TRACO").
    std::string unit =
        group.size() == 2 ? "_" + std::to_string(static_cast<unsigned char>(group[1])) : group;
    SayUnit(unit, t.mode, factor);
    return;
  }
  bool stressed = false;
  std::string unit = "$";
  for (char c : group) {
    if (IsStressedVowel(c)) {
      t.mode = 2;
      stressed = true;
    }
    if (c == '^' || c == '~') {
      SayUnit(unit + (c == '^' ? "CIRC" : "TIL"), t.mode, factor);
      unit = "$";
    } else {
      unit += c;
    }
  }
  if (unit.size() > 1) SayUnit(unit, t.mode, factor);
  if (stressed) t.mode = 0;
}

void SaySegment(const std::string& s, double factor) {
  const size_t n = s.size();
  if (n == 0) return;
  if (n == 1) {
    SayGroup(s, factor);
    return;
  }
  const char last = s.back();
  if (n > 2) {
    std::string head = s.substr(0, 2);
    if (IsConsonant(s[0]) && IsConsonant(s[1]) && head != "dj" && head != "nh" && head != "rr" && head != "ks" &&
        s.compare(0, 3, "tch") != 0) {
      SayGroup(s.substr(0, 1), 1.0);
      SaySegment(s.substr(1), factor);
      return;
    }
    if (EndsWith(s, "rr")) {
      SaySegment(s.substr(0, n - 2), factor);
      SayGroup("rr", factor);
      return;
    }
    if (IsConsonant(last)) {
      SaySegment(s.substr(0, n - 1), factor);
      SaySegment(std::string(1, last), factor);
      return;
    }
  }
  if (last == 'w' || last == 'y') {
    const char before = s[n - 2];
    if (IsVowelOrGlide(before) && n > 2) {
      SaySegment(s.substr(0, n - 1), 0.6);
      SayGroup(s.substr(n - 2), factor);
      return;
    }
    if (before == '^' || before == '~') {
      if (n > 3) SaySegment(before == '~' ? s.substr(0, n - 2) + "^" : s.substr(0, n - 1), 0.6);
      // The glide after a marked vowel: vowel, glide, mark ("a~w" is "$AWTIL");
      // a mark with no vowel before it leaves the glide alone.
      if (n >= 3) SayGroup(std::string{s[n - 3], last, before}, factor);
      else SayGroup(std::string(1, last), factor);
      return;
    }
  }
  if (s != "_s" && last == 's') {
    SaySegment(s.substr(0, n - 1), 0.7);
    SayGroup("s", factor);
    return;
  }
  SayGroup(s, factor);
}

// Reads the next segment at `at`; a pause sign adds its silence and gives "".
std::string ReadSegment(const std::string& phonemes, size_t& at) {
  Translator& t = T();
  if (phonemes[at] == '[') {
    t.mode = 1;
    ++at;
  }
  std::string segment;
  while (at < phonemes.size() && phonemes[at] != ' ' && phonemes[at] != ']') {
    char c = phonemes[at];
    if (c == '/') {
      if (segment.size() > 8) break;
      ++at;
      continue;
    }
    if (c == '_' && at + 1 < phonemes.size()) {
      if (segment.size() + 2 <= kLongestSegment) segment += phonemes.substr(at, 2);
      at += 2;
      continue;
    }
    if (c == '|') segment = "_TRACO";
    else if (segment.size() < kLongestSegment) segment += c;
    ++at;
  }
  if (at < phonemes.size()) ++at;  // the terminating character
  if (segment.size() == 2 && segment[0] == '_') {
    switch (segment[1]) {
      case ',': AddSilence(4000); return "";
      case '.': AddSilence(8000); return "";
      case ';': AddSilence(6000); return "";
      case ':': AddSilence(8000); return "";
      default: break;
    }
  }
  return segment;
}

}  // namespace

// --- the interface -------------------------------------------------------------------

int TranslatorOpen() {
  Translator& t = T();
  TranslatorClose();
  t.letters_folder = FolderSetting("dirLetras", kDefaultLetters, "letras");
  if (!platform::files::IsDirectory(t.letters_folder)) return 1;
  t.diphone_folder = FolderSetting("DIRDIFONES", kDefaultDiphones, "difones");
  if (!platform::files::IsDirectory(t.diphone_folder)) return 1;
  if (!ReadIndex(t.diphone_folder + t.database + ".IND", t.index)) return 1;
  t.data.reset(platform::files::Open(t.diphone_folder + t.database + ".DIF", "rb"));
  if (!t.data) {
    t.index.clear();
    return 1;
  }
  if (!LoadTranslatorRules(t.diphone_folder + "regras.rgr") ||
      !LoadTranslatorExceptions(t.diphone_folder + "portug.exc")) {
    FreeTranslatorRules();
    t.index.clear();
    t.data.reset();
    return 2;
  }
  t.image.reset(new uint8_t[kImageBytes]);
  t.position = kHeaderBytes;
  t.open = true;
  return 0;
}

void TranslatorClose() {
  Translator& t = T();
  t.open = false;
  t.image.reset();
  FreeTranslatorRules();
  t.index.clear();
  t.index.shrink_to_fit();
  t.data.reset();
}

bool TranslatorIsOpen() { return T().open; }

void SetTranslatorDatabase(const std::string& name) { T().database = name.substr(0, 8); }
const std::string& TranslatorDatabase() { return T().database; }

void SetTranslatorTiming(int cut, int floor, int gap) {
  Translator& t = T();
  t.cut = cut;
  t.floor = floor;
  t.gap = gap;
}

std::string TranslatorLettersFolder() {
  const Translator& t = T();
  if (!t.letters_folder.empty()) return t.letters_folder;
  return FolderSetting("dirLetras", kDefaultLetters, "letras");
}

const std::string& TranslatorDiphoneFolder() { return T().diphone_folder; }

void SayPhonemes(const std::string& phonemes) {
  Translator& t = T();
  if (!t.open) return;
  t.position = kHeaderBytes;
  t.mode = 1;
  size_t at = 0;
  while (at < phonemes.size()) {
    if (!t.sink && speech::StopRequested()) {
      t.position = kHeaderBytes;
      return;
    }
    SaySegment(ReadSegment(phonemes, at), 1.0);
    if (at < phonemes.size() && at > 0 && phonemes[at - 1] != ' ') AddSilence(t.gap);
  }
  Flush();
}

void SetUnitObserver(UnitObserver observer) { T().observer = std::move(observer); }
void SetImageSink(ImageSink sink) { T().sink = std::move(sink); }

}  // namespace synth
