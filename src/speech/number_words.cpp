// Numbers, times and dates in words.
#include "speech/number_words.h"

#include <cstdio>
#include <memory>

#include "console/console.h"
#include "platform/files.h"
#include "platform/log.h"
#include "speech/speech.h"
#include "speech/wav_player.h"
#include "synth/diphone_translator.h"

namespace speech {
namespace {

const char* const kUnits[] = {"zero", "um", "dois", "tres", "quatro", "cinco", "seis", "sete", "oito", "nove"};
const char* const kTeens[] = {"dez",    "onze",      "doze",      "treze",   "quatorze",
                              "quinze", "dezesseis", "dezessete", "dezoito", "dezenove"};
const char* const kTens[] = {"", "", "vinte", "trinta", "quarenta", "cinquenta", "sessenta", "setenta", "oitenta",
                             "noventa"};
const char* const kHundreds[] = {"",           "cento",      "duzentos",  "trezentos", "quatrocentos",
                                 "quinhentos", "seiscentos", "setecentos", "oitocentos", "novecentos"};
// Trillions, billions, millions, thousands: one, and several.
const char* const kScaleOne[] = {"trilh\xE3o ", "bilh\xE3o ", "milh\xE3o ", "mil "};
const char* const kScaleMany[] = {"trilh\xF5" "es ", "bilh\xF5" "es ", "milh\xF5" "es ", "mil "};
const char* const kWeekdays[] = {"Domingo", "Segunda", "Terca", "Quarta", "Quinta", "Sexta", "Sabado"};
const char* const kMonths[] = {"Janeiro", "Fevereiro", "Marco",    "Abril",   "Maio",     "Junho",
                               "Julho",   "Agosto",    "Setembro", "Outubro", "Novembro", "Dezembro"};

// Word sounds joined into one sound: at most this many bytes of 11025 Hz
// 8-bit mono after the header.
constexpr size_t kSoundArea = 30000;

// The words of a group of three digits (0-999), "" for 0.
std::string GroupWords(int group) {
  if (group == 0) return "";
  if (group == 100) return "cem";
  int h = group / 100, t = group / 10 % 10, u = group % 10;
  std::string words;
  if (h != 0) {
    words = kHundreds[h];
    if (t == 0 && u == 0) return words;
    words += " e ";
  }
  if (t == 1) return words + kTeens[u];
  if (t != 0) {
    words += kTens[t];
    if (u == 0) return words;
    words += " e ";
  }
  if (u > 0) words += kUnits[u];
  return words;
}

// Plays a fixed key of a time or a date, telling the log which one.
void PlayWordMessage(const std::string& key) {
  if (MessageExists(key)) platform::LogEvent("word", key);
  PlayMessage(key);
}

// Plays the joined sound area (a 44-byte header, then `used` bytes).
void PlayArea(uint8_t* area, size_t used) {
  if (used == 0) return;
  BuildWavHeader(area, static_cast<uint32_t>(used), 11025, 1, 8);
  PlaySoundImage(area, kWavHeaderBytes + used);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::string NumberToWords(uint64_t n) {
  if (n == 0) return "zero";
  n %= 1000000000000000ull;  // the last 15 digits
  int groups[5];
  for (int i = 4; i >= 0; --i) {
    groups[i] = static_cast<int>(n % 1000);
    n /= 1000;
  }
  int last = -1;
  for (int i = 0; i < 5; ++i)
    if (groups[i] != 0) last = i;
  std::string text;
  for (int i = 0; i <= last; ++i) {
    if (groups[i] == 0) continue;
    std::string words = GroupWords(groups[i]);
    if (i <= 3) words += std::string(" ") + (groups[i] == 1 ? kScaleOne[i] : kScaleMany[i]);
    // One thousand is "mil", never "um mil".
    if (i == 3 && groups[i] == 1) words = "mil ";
    // "e" joins the last group when it is below a hundred or a round
    // hundred: mil e um, mil e duzentos, dois mil e vinte e quatro; but mil
    // duzentos e trinta e quatro.
    if (i == last && !text.empty() && (groups[i] < 100 || groups[i] % 100 == 0)) text += "e ";
    text += words;
  }
  return text;
}

std::string WordKey(const std::string& word) {
  std::string w;
  for (char c : word) {
    if (c == '\xE3') w += 'a';
    else if (c == '\xF5') w += 'o';
    else w += c;
  }
  if (w == "dezessete") w = "dezeset";
  return ("_" + w).substr(0, 8);
}

std::vector<std::string> WordKeys(const std::string& words, bool feminine) {
  std::vector<std::string> keys;
  size_t at = 0;
  while (at < words.size()) {
    size_t start = words.find_first_not_of(' ', at);
    if (start == std::string::npos) break;
    size_t end = words.find(' ', start);
    if (end == std::string::npos) end = words.size();
    keys.push_back(WordKey(words.substr(start, end - start)));
    at = end;
  }
  if (feminine && !keys.empty()) {
    if (keys.back() == "_um") keys.back() = "_uma";
    else if (keys.back() == "_dois") keys.back() = "_duas";
  }
  return keys;
}

void SayWords(const std::string& words, bool feminine) {
  // One area for the whole program: no allocation while words are said.
  static const std::unique_ptr<uint8_t[]> area(new uint8_t[kWavHeaderBytes + kSoundArea]);
  size_t used = 0;
  const std::string folder = synth::TranslatorLettersFolder();
  for (const std::string& key : WordKeys(words, feminine)) {
    std::unique_ptr<std::FILE, FileCloser> file(platform::files::Open(folder + key + ".wav", "rb"));
    if (!file || std::fseek(file.get(), static_cast<long>(kWavHeaderBytes), SEEK_SET) != 0) continue;
    // Read the word into the free part of the area, or at its start once the
    // area has been played to make room.
    uint8_t scratch[kSoundArea];
    size_t got = std::fread(scratch, 1, kSoundArea, file.get());
    if (got == 0) continue;
    if (used > 0 && used + got > kSoundArea) {
      PlayArea(area.get(), used);
      used = 0;
    }
    platform::LogEvent("word", key);
    std::copy(scratch, scratch + got, area.get() + kWavHeaderBytes + used);
    used += got;
  }
  PlayArea(area.get(), used);
}

void SayTime(int hour, int minute) {
  SayWords(NumberToWords(static_cast<uint64_t>(hour < 0 ? 0 : hour)), true);
  PlayWordMessage(hour < 2 ? "_hora" : "_horas");
  if (minute != 0) {
    SayWords(NumberToWords(static_cast<uint64_t>(minute < 0 ? 0 : minute)), false);
    PlayWordMessage(minute < 2 ? "_minuto" : "_minutos");
  }
}

void SayDate(int day, int month, int year) {
  PlayWordMessage(std::string("_") + kWeekdays[DayOfWeek(day, month, year)]);
  if (day == 1) PlayWordMessage("_primeir");
  else SayWords(NumberToWords(static_cast<uint64_t>(day < 0 ? 0 : day)), false);
  PlayWordMessage("_de");
  if (month >= 1 && month <= 12) PlayWordMessage(("_" + std::string(kMonths[month - 1])).substr(0, 8));
  PlayWordMessage("_de");
  // The whole year in words: dois mil e vinte e quatro.
  if (year > 0) SayWords(NumberToWords(static_cast<uint64_t>(year)), false);
}

void SayCurrentTime() {
  console::Time now = console::GetTime();
  SayTime(now.hour, now.minute);
}

void SayCurrentDate() {
  console::Date today = console::GetDate();
  SayDate(today.day, today.month, today.year);
}

int DayOfWeek(int day, int month, int year) {
  // Sakamoto's method.
  static const int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 1 || month > 12) return 0;
  if (month < 3) year -= 1;
  int weekday = (year + year / 4 - year / 100 + year / 400 + kOffsets[month - 1] + day) % 7;
  return weekday < 0 ? weekday + 7 : weekday;
}

}  // namespace speech
