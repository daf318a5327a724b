// Numbers, times and dates in words: the words, the file keys, and the word
// files a time or a date plays, in order.
#include "speech/number_words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "speech/speech.h"
#include "speech_support.h"

namespace {

TEST(NumberWords, NumbersAreWrittenOut) {
  struct Case { uint64_t n; const char* words; };
  const Case cases[] = {
      {0, "zero"},
      {7, "sete"},
      {15, "quinze"},
      {21, "vinte e um"},
      {100, "cem"},
      {101, "cento e um"},
      {110, "cento e dez"},
      {115, "cento e quinze"},
      {120, "cento e vinte"},
      {999, "novecentos e noventa e nove"},
      {1000, "mil "},
      {1001, "mil e um"},
      {1100, "mil e cem"},
      {1200, "mil e duzentos"},
      {1234, "mil duzentos e trinta e quatro"},
      {2000, "dois mil "},
      {2024, "dois mil e vinte e quatro"},
      {2345, "dois mil trezentos e quarenta e cinco"},
      {1000000, "um milh\xE3o "},
      {1001000, "um milh\xE3o e mil "},
      {1200000, "um milh\xE3o e duzentos mil "},
      {2000001, "dois milh\xF5" "es e um"},
      {3000000000ull, "tres bilh\xF5" "es "},
      {999999999999999ull, "novecentos e noventa e nove trilh\xF5" "es novecentos e noventa e nove bilh\xF5"
                           "es novecentos e noventa e nove milh\xF5" "es novecentos e noventa e nove mil "
                           "novecentos e noventa e nove"},
  };
  for (const Case& c : cases) EXPECT_EQ(speech::NumberToWords(c.n), c.words) << c.n;
}

TEST(NumberWords, FileKeys) {
  struct Case { const char* word; const char* key; };
  const Case cases[] = {
      {"quatrocentos", "_quatroc"}, {"milh\xF5" "es", "_milhoes"}, {"milh\xE3o", "_milhao"},
      {"dezesseis", "_dezesse"},    {"dezessete", "_dezeset"},      {"trilh\xF5" "es", "_trilhoe"},
      {"um", "_um"},                {"e", "_e"},
  };
  for (const Case& c : cases) EXPECT_EQ(speech::WordKey(c.word), c.key) << c.word;
}

TEST(NumberWords, FeminineChangesOnlyTheLastWord) {
  using Keys = std::vector<std::string>;
  EXPECT_EQ(speech::WordKeys("vinte e um", true), (Keys{"_vinte", "_e", "_uma"}));
  EXPECT_EQ(speech::WordKeys("dois", true), (Keys{"_duas"}));
  EXPECT_EQ(speech::WordKeys("dois", false), (Keys{"_dois"}));
  EXPECT_EQ(speech::WordKeys("um mil  dois", true), (Keys{"_um", "_mil", "_duas"}));
  EXPECT_EQ(speech::WordKeys("mil ", false), (Keys{"_mil"}));
}

TEST(NumberWords, DayOfWeek) {
  struct Case { int day, month, year, weekday; };
  const Case cases[] = {{1, 1, 2000, 6}, {29, 2, 2024, 4}, {25, 12, 2023, 1}, {7, 9, 1822, 6}, {1, 3, 2100, 1}};
  for (const Case& c : cases) EXPECT_EQ(speech::DayOfWeek(c.day, c.month, c.year), c.weekday) << c.year;
}

// Every word file of a time or a date, so each one is heard and logged.
std::vector<std::string> AllWordKeys() {
  return {"_zero", "_um", "_uma", "_dois", "_duas", "_tres", "_quatro", "_cinco", "_seis", "_sete", "_oito",
          "_nove", "_dez", "_dezeset", "_vinte", "_trinta", "_mil", "_e", "_hora", "_horas", "_minuto",
          "_minutos", "_primeir", "_de", "_Domingo", "_Segunda", "_Quinta", "_Sexta", "_Sabado", "_Janeiro",
          "_Marco", "_Setembr", "_Dezembr"};
}

std::vector<std::string> WordsSaid(const speech_support::LogCapture& log) {
  std::vector<std::string> keys;
  for (const std::string& line : log.Events("word")) keys.push_back(line.substr(5));
  return keys;
}

TEST(SpokenTime, PlaysTheWordFilesInOrder) {
  struct Case { int hour, minute; std::vector<std::string> keys; };
  const Case cases[] = {
      {7, 30, {"_sete", "_horas", "_trinta", "_minutos"}},
      {21, 0, {"_vinte", "_e", "_uma", "_horas"}},
      {1, 1, {"_uma", "_hora", "_um", "_minuto"}},
      {0, 2, {"_zero", "_hora", "_dois", "_minutos"}},
  };
  for (const Case& c : cases) {
    speech_support::VoiceFolder voice(AllWordKeys(), {}, "", "");
    speech::SpeechInit(3, "");
    speech_support::LogCapture log;
    speech::SayTime(c.hour, c.minute);
    EXPECT_EQ(WordsSaid(log), c.keys) << c.hour << ":" << c.minute;
    speech::SpeechEnd();
  }
}

TEST(SpokenDate, WeekdayDayMonthAndYear) {
  struct Case { int day, month, year; std::vector<std::string> keys; };
  const Case cases[] = {
      {1, 3, 2024, {"_Sexta", "_primeir", "_de", "_Marco", "_de", "_dois", "_mil", "_e", "_vinte", "_e", "_quatro"}},
      {17, 9, 2000, {"_Domingo", "_dezeset", "_de", "_Setembr", "_de", "_dois", "_mil"}},
      {25, 12, 2023, {"_Segunda", "_vinte", "_e", "_cinco", "_de", "_Dezembr", "_de", "_dois", "_mil", "_e",
                      "_vinte", "_e", "_tres"}},
  };
  for (const Case& c : cases) {
    speech_support::VoiceFolder voice(AllWordKeys(), {}, "", "");
    speech::SpeechInit(3, "");
    speech_support::LogCapture log;
    speech::SayDate(c.day, c.month, c.year);
    EXPECT_EQ(WordsSaid(log), c.keys) << c.day << "/" << c.month << "/" << c.year;
    speech::SpeechEnd();
  }
}

TEST(SpokenNumber, WordsAreJoinedIntoOneSound) {
  speech_support::VoiceFolder voice(AllWordKeys(), {}, "", "");
  speech::SpeechInit(3, "");
  speech_support::LogCapture log;
  speech::SayWords("vinte e um", false);
  // Three files of 100 bytes of sound each, played as one.
  EXPECT_EQ(log.Events("sound"), (std::vector<std::string>{"sound 300 11025 8 1"}));
  // A missing file is skipped.
  speech::SayWords("vinte e onze", false);
  EXPECT_EQ(log.Events("sound").back(), "sound 200 11025 8 1");
  speech::SpeechEnd();
}

}  // namespace
