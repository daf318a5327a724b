// The speech interface: speed levels and engine settings, how Speak says
// digits, words and signs, pauses, the click and the beep, telephone tones,
// tones, and keys that stop speech.
#include "speech/speech.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "speech/wav_player.h"
#include "speech_support.h"
#include "synth/diphone_translator.h"

namespace {

using speech_support::LogCapture;
using speech_support::TinyUnit;
using speech_support::VoiceFolder;

void PostKeyAt(int64_t ms, char character) {
  platform::Event key;
  key.type = platform::EventType::Char;
  key.character = static_cast<uint8_t>(character);
  if (ms <= 0) platform::PostEvent(key);
  else platform::PostEventAt(ms, key);
}

// Letter files of the digits, signs and letters, and the number words.
std::vector<std::string> Voice() {
  std::vector<std::string> keys;
  for (int code = 32; code < 127; ++code) keys.push_back("_" + std::to_string(code));
  for (const char* word : {"_zero", "_um", "_dois", "_tres", "_quatro", "_cinco", "_sete", "_vinte", "_mil", "_e",
                           "_MENOS", "dtmf_1", "dtmf_#", "dtmf_X"})
    keys.push_back(word);
  return keys;
}

// Rules that say each letter as itself; units for a few syllables.
const char kRules[] = "(A)=a|\n(B)=b|\n(C)=c|\n(K)=k|\n(O)=o|\n";
const std::vector<TinyUnit> kUnits = {{"$A", 100, 10}, {"$KA", 2000, 20}, {"$B", 50, 30}, {"$BO", 1500, 40}};

// What the log says was heard: played files (by name), words, units,
// clicks and spelled texts, in order.
std::vector<std::string> Heard(const LogCapture& log) {
  std::vector<std::string> heard;
  for (const std::string& line : log.Lines()) {
    if (line.rfind("play ", 0) == 0) {
      std::string name = line.substr(line.find_last_of("\\/") + 1);
      heard.push_back(name.substr(0, name.size() - 4));
    } else if (line.rfind("word ", 0) == 0 || line.rfind("unit ", 0) == 0 || line == "click" || line == "beep" ||
               line.rfind("spell ", 0) == 0) {
      heard.push_back(line);
    }
  }
  return heard;
}

TEST(SpeechSettings, SpeedLevelFallsBackToThree) {
  struct Case { const char* velocidade; int asked; int level; };
  const Case cases[] = {{"2", 0, 2}, {"9", 0, 3}, {"0", 0, 3}, {"x", 0, 3}, {"", 0, 3}, {"2", 7, 3}, {"2", 4, 4},
                        {"2", -1, 2}};
  for (const Case& c : cases) {
    test_support::HeadlessConsole console(std::string("[TRADUTOR]\r\nVELOCIDADE=") + c.velocidade + "\r\n");
    speech::SpeechInit(c.asked, "");
    EXPECT_EQ(speech::SpeedLevel(), c.level) << c.velocidade << " " << c.asked;
    speech::SpeechEnd();
  }
}

TEST(SpeechSettings, LevelKeysReachThePlayerAndTheTranslator) {
  test_support::HeadlessConsole console(
      "[SINTETIZADOR]\r\nRAPIDINHO4=SIM\r\nCORTAFALA4=s\r\nRAPIDINHO2=Nao\r\nCORTAFALA2=\r\nDIFONES4=OUTRAVOZ9\r\n");
  // (A database that cannot be opened would end the program at SpeechInit,
  // so the level is loaded on its own.)
  speech::LoadSpeedLevel(4);
  EXPECT_TRUE(speech::FastPlayback());
  EXPECT_TRUE(speech::Compression());
  EXPECT_EQ(synth::TranslatorDatabase(), "OUTRAVOZ");
  speech::LoadSpeedLevel(2);
  EXPECT_FALSE(speech::FastPlayback());
  EXPECT_FALSE(speech::Compression());
  synth::SetTranslatorDatabase("DIFONES2");
}

TEST(SpeechSettings, EngineRequest) {
  struct Case { const char* ini; bool wanted; int rate; int type; };
  const Case cases[] = {
      {"[TRADUTOR]\r\nSAPI=SIM\r\n[SERVFALA]\r\nVELOCIDADE=15\r\nTIPOSAPI=5\r\n", true, 0, 5},
      {"[TRADUTOR]\r\nSAPI=SIM\r\n[SERVFALA]\r\nVELOCIDADE=15\r\nTIPOSAPI=4\r\n", true, 15, 4},
      {"[TRADUTOR]\r\nSAPI=sim\r\n[SERVFALA]\r\nVELOCIDADE=8\r\nTIPOSAPI=3\r\n", true, 8, 3},
      {"[TRADUTOR]\r\nSAPI=NAO\r\n", false, 0, 4},
      {"", false, 0, 4},
  };
  for (const Case& c : cases) {
    test_support::HeadlessConsole console(c.ini);
    speech::EngineRequest request = speech::ReadEngineRequest();
    EXPECT_EQ(request.wanted, c.wanted) << c.ini;
    if (c.wanted) {
      EXPECT_EQ(request.rate, c.rate) << c.ini;
      EXPECT_EQ(request.type, c.type) << c.ini;
    }
  }
}

// A voice the settings name and that cannot be opened: the reason is written
// (and said), and Enter ends the program.
TEST(SpeechWithoutVoice, NamedVoiceMissingEndsTheProgramOnEnter) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        test_support::HeadlessConsole console("[TRADUTOR]\r\nDIRLETRAS=/nonexistent\r\nDIRDIFONES=/nonexistent\r\n");
        PostKeyAt(0, '\r');
        speech::SpeechInit(0, "");
      },
      testing::ExitedWithCode(0), "Banco de dados de voz: DIFONES2");
}

struct SpeakCase {
  const char* text;
  std::vector<std::string> heard;
};

void ExpectHeard(const std::vector<SpeakCase>& cases, const std::string& extra_ini = "") {
  for (const SpeakCase& c : cases) {
    VoiceFolder voice(Voice(), kUnits, kRules, "", extra_ini);
    speech::SpeechInit(3, "");
    synth::SetTranslatorTiming(0, 0, 0);
    LogCapture log;
    speech::Speak(c.text);
    EXPECT_EQ(Heard(log), c.heard) << c.text;
    speech::SpeechEnd();
  }
}

TEST(Speak, DigitRuns) {
  ExpectHeard({
      {"2024", {"word _dois", "word _mil", "word _e", "word _vinte", "word _e", "word _quatro"}},
      {"007", {"_zero", "_zero", "word _sete"}},
      {"0", {"_zero"}},
      {"12-34", {"spell 12-34", "_49", "_50", "_45", "_51", "_52"}},
      {"1234567", {"spell 1234567", "_49", "_50", "_51", "_52", "_53", "_54", "_55"}},
      {"-5", {"_MENOS", "word _cinco"}},
      // Words whose files this voice lacks are skipped.
      {"123456", {"word _e", "word _vinte", "word _e", "word _tres", "word _mil", "word _e", "word _e"}},
  });
}

TEST(Speak, WordsAndSigns) {
  ExpectHeard({
      {"ka", {"unit $KA"}},
      {"bo ka", {"unit $BO", "unit $KA"}},
      // The hyphen inside a word is not said.
      {"bo-ka", {"unit $BO", "unit $KA"}},
      // Six signs: four said, then a click for each further one.
      {"!!!!!!", {"_33", "_33", "_33", "_33", "click", "click"}},
      {"www", {"spell www", "_119", "_119", "_119"}},
      {" www ", {"spell www", "_119", "_119", "_119"}},
      {"WwW.", {"spell WwW", "_87", "_119", "_87", "_46"}},
      {"ka://bo", {"unit $KA", "_58", "_47", "_47", "unit $BO"}},
      // A hyphen before a blank or another hyphen: its sound; before a letter
      // standing alone: its sound too.
      {"- ka", {"_45", "unit $KA"}},
      {"--", {"_45", "_45"}},
      {"-bo", {"_45", "unit $BO"}},
      {"ka -bo", {"unit $KA", "unit $BO"}},
      {"ka, (bo)", {"unit $KA", "_44", "_40", "unit $BO", "_41"}},
      {"@#", {"_64", "_35"}},
  });
}

TEST(Speak, PausesFollowTheSigns) {
  struct Case { const char* text; int64_t pause; };
  // A tab after the sign is silent, and no blank.
  const Case cases[] = {
      {". ", 500}, {".\t", 0}, {", ", 300}, {",\t", 0}, {"- ", 300}, {":", 200}, {";", 200}, {"(", 200}, {")", 200},
  };
  for (const Case& c : cases) {
    VoiceFolder voice(Voice(), kUnits, kRules, "", "[SINTETIZADOR]\r\nPAUSAPONTO3=500\r\nPAUSAVIRG3=300\r\n");
    speech::SpeechInit(3, "");
    // Only the sign's own sound (100 bytes, played as 256: 24 ms) and its
    // pause pass.
    int64_t start = platform::NowMs();
    speech::Speak(c.text);
    EXPECT_EQ(platform::NowMs() - start, 24 + c.pause) << c.text;
    speech::SpeechEnd();
  }
}

// [TRADUTOR] PONTUACAO=NAO: the signs of running text are not said, their
// pauses stay; other symbols are still said, and spelling names every sign.
TEST(Speak, PunctuationCanBeLeftUnsaid) {
  ExpectHeard(
      {
          {"ka, (bo)", {"unit $KA", "unit $BO"}},
          {"ka. bo; ka: bo! ka? \"bo\" 'ka'", {"unit $KA", "unit $BO", "unit $KA", "unit $BO", "unit $KA",
                                                 "unit $BO", "unit $KA"}},
          {"- ka", {"unit $KA"}},
          {"@#", {"_64", "_35"}},
          {"ka://bo", {"unit $KA", "_58", "_47", "_47", "unit $BO"}},
      },
      "PONTUACAO=NAO\r\n");
  struct Case { const char* text; int64_t pause; };
  const Case cases[] = {{". ", 500}, {", ", 300}, {":", 200}, {"(", 200}, {"? ", 500}, {"!", 500}, {"\"", 0}};
  for (const Case& c : cases) {
    VoiceFolder voice(Voice(), kUnits, kRules, "",
                      "PONTUACAO=nao\r\n[SINTETIZADOR]\r\nPAUSAPONTO3=500\r\nPAUSAVIRG3=300\r\n");
    speech::SpeechInit(3, "");
    LogCapture log;
    int64_t start = platform::NowMs();
    speech::Speak(c.text);
    // The pause alone passes: no sign's sound is played.
    EXPECT_EQ(platform::NowMs() - start, c.pause) << c.text;
    EXPECT_TRUE(Heard(log).empty()) << c.text;
    LogCapture spelled;
    speech::Spell(c.text);
    EXPECT_EQ(Heard(spelled).size(), std::string(c.text).size() + 1) << c.text;
    speech::SpeechEnd();
  }
}

// With the voice's own rules: the apostrophe of d' stays inside its word,
// and the degree sign and the ordinals are said by name.
TEST(Speak, ElisionAndOrdinalsWithTheVoiceRules) {
  std::vector<std::string> letters = Voice();
  for (const char* key : {"_176", "_170", "_186"}) letters.push_back(key);
  VoiceFolder voice(letters, {{"$DA", 100, 10}, {"$GWACIRC", 100, 20}, {"$PACIRC", 100, 30}},
                    speech_support::ReadSourceFile("data/voice/regras.rgr"),
                    speech_support::ReadSourceFile("data/voice/portug.exc"));
  speech::SpeechInit(3, "");
  synth::SetTranslatorTiming(0, 0, 0);
  struct Case { const char* text; std::vector<std::string> heard; };
  const Case cases[] = {
      {"d'\xE1gua", {"unit $DA", "unit $GWACIRC"}},
      {"pa d'\xE1gua", {"unit $PACIRC", "unit $DA", "unit $GWACIRC"}},
      {"\xB0 \xAA \xBA", {"unit _176", "unit _170", "unit _186"}},
      {"1\xBA", {"word _um", "unit _186"}},
  };
  for (const Case& c : cases) {
    LogCapture log;
    speech::Speak(c.text);
    EXPECT_EQ(Heard(log), c.heard) << c.text;
  }
  speech::SpeechEnd();
}

TEST(Speak, KeyStopsAtOnceAndStaysQueued) {
  VoiceFolder voice(Voice(), kUnits, kRules, "");
  speech::SpeechInit(3, "");
  synth::SetTranslatorTiming(0, 0, 0);
  LogCapture log;
  // Each "ka" is 2000 bytes (181 ms); the key comes 300 ms in.
  PostKeyAt(300, 'x');
  speech::Speak("ka ka ka ka ka ka ka ka ka ka ka ka ka ka ka ka, bo ka ka ka ka ka ka ka ka ka ka ka ka ka ka ka ka ka");
  EXPECT_LT(platform::NowMs(), 310);
  EXPECT_EQ(console::QueuedKeys(), 1);
  EXPECT_TRUE(log.Events("unit $BO").empty()) << "speech went on after the key";
  EXPECT_FALSE(speech::IsSpeaking());
  EXPECT_EQ(console::QueuedKeys(), 1);
  speech::SpeechEnd();
}

TEST(Speak, WaitingKeyKeepsEverythingSilent) {
  VoiceFolder voice(Voice(), kUnits, kRules, "");
  speech::SpeechInit(3, "");
  LogCapture log;
  PostKeyAt(0, 'x');
  speech::Speak("ka 12 !");
  speech::Spell("abc");
  speech::SayLetter('a');
  EXPECT_EQ(Heard(log), (std::vector<std::string>{"spell abc"}));
  EXPECT_EQ(log.Events("speak"), (std::vector<std::string>{"speak ka 12 !"}));
  EXPECT_EQ(console::QueuedKeys(), 1);
  speech::SpeechEnd();
}

TEST(SpeechSounds, BeepDiscardsTypeAheadAndClickDoesNot) {
  VoiceFolder voice(Voice(), kUnits, kRules, "");
  speech::SpeechInit(3, "");
  LogCapture log;
  PostKeyAt(0, 'a');
  PostKeyAt(0, 'b');
  speech::PlayBeep();
  EXPECT_EQ(console::QueuedKeys(), 0);
  PostKeyAt(0, 'c');
  speech::PlayClick();
  EXPECT_EQ(console::QueuedKeys(), 1);
  EXPECT_EQ(Heard(log), (std::vector<std::string>{"beep", "click"}));
  speech::SpeechEnd();
}

TEST(SpeechSounds, ClickAndBeepAreEightBitElevenKilohertz) {
  VoiceFolder voice(Voice(), kUnits, kRules, "", "[SINTETIZADOR]\r\nCORTAFALA3=SIM\r\n");
  speech::SpeechInit(3, "");
  std::vector<size_t> sizes;
  std::vector<uint8_t> click;
  speech::SetQueueObserver([&](const uint8_t* data, size_t bytes, int rate, int bits, int channels) {
    sizes.push_back(bytes);
    EXPECT_EQ(rate, 11025);
    EXPECT_EQ(bits, 8);
    EXPECT_EQ(channels, 1);
    if (click.empty()) click.assign(data, data + bytes);
  });
  speech::PlayClick();
  speech::PlayBeep();
  speech::SetQueueObserver(nullptr);
  EXPECT_EQ(sizes, (std::vector<size_t>{256, 512}));
  for (size_t i = 0; i < 64; ++i) {
    EXPECT_GE(click[i], 128);
    EXPECT_LT(click[i], 188);
  }
  for (size_t i = 64; i < 256; ++i) EXPECT_EQ(click[i], 128);
  EXPECT_TRUE(speech::Compression()) << "the click restores compression";
  speech::SpeechEnd();
}

TEST(SpeechSounds, MessagesByKey) {
  VoiceFolder voice({"_DEL"}, kUnits, kRules, "");
  voice.folder().Write("mensagens/SCFIM.wav", speech_support::WavFile(speech_support::Samples(100, 140)));
  speech::SpeechInit(3, (voice.folder().path() / "mensagens").string());
  EXPECT_TRUE(speech::MessageExists("_DEL"));
  EXPECT_TRUE(speech::MessageExists("SCFIM"));
  EXPECT_FALSE(speech::MessageExists("_FALACI"));
  EXPECT_FALSE(speech::MessageExists("DEL"));
  LogCapture log;
  speech::PlayMessage("SCFIM");
  speech::PlayMessage("_DEL");
  speech::PlayMessage("_FALACI");
  EXPECT_EQ(Heard(log), (std::vector<std::string>{"SCFIM", "_DEL"}));
  speech::SpeechEnd();
}

TEST(SpeechSounds, TelephoneTonesAndPauses) {
  VoiceFolder voice(Voice(), kUnits, kRules, "", "[SINTETIZADOR]\r\nRAPIDINHO3=SIM\r\n");
  speech::SpeechInit(3, "");
  LogCapture log;
  int64_t start = platform::NowMs();
  speech::PlayDtmf("1#*,a");
  EXPECT_EQ(Heard(log), (std::vector<std::string>{"dtmf_1", "dtmf_#", "dtmf_X"}));
  // Three tones of 10 ms, 100 ms after each, and a second for the comma.
  EXPECT_GE(platform::NowMs() - start, 3 * 110 + 1000);
  EXPECT_TRUE(speech::FastPlayback()) << "fast playback comes back";
  speech::SpeechEnd();
}

TEST(SpeechSounds, ToneLastsItsTimeUnlessAKeyComes) {
  VoiceFolder voice(Voice(), kUnits, kRules, "");
  speech::SpeechInit(3, "");
  LogCapture log;
  int64_t start = platform::NowMs();
  speech::PlayTone(440, 1500);
  EXPECT_GE(platform::NowMs() - start, 1500);
  EXPECT_EQ(log.Events("tone"), (std::vector<std::string>{"tone 440 1500"}));
  start = platform::NowMs();
  PostKeyAt(start + 200, 'x');
  speech::PlayTone(20000, 20000);
  EXPECT_LT(platform::NowMs() - start, 300);
  EXPECT_EQ(console::QueuedKeys(), 1);
  speech::SpeechEnd();
}

TEST(SpeechSounds, ReadKeySaySaysTheKey) {
  VoiceFolder voice(Voice(), kUnits, kRules, "");
  speech::SpeechInit(3, "");
  LogCapture log;
  PostKeyAt(0, 'a');
  EXPECT_EQ(speech::ReadKeySay(), 'a');
  EXPECT_EQ(Heard(log), (std::vector<std::string>{"_97"}));
  speech::SpeechEnd();
}

TEST(SpeechSounds, PauseEndsOnAKey) {
  test_support::HeadlessConsole console;
  int64_t start = platform::NowMs();
  speech::InterruptiblePause(1000);
  EXPECT_GE(platform::NowMs() - start, 1000);
  start = platform::NowMs();
  PostKeyAt(start + 120, 'x');
  speech::InterruptiblePause(1000);
  EXPECT_LT(platform::NowMs() - start, 200);
}

}  // namespace
