// The sound commands, called directly: FALA, SOLETRA, FALAHORA, BIPA, TOCA,
// MCI, ALARME and MENSAGEM.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/sound_commands.h"
#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/operands.h"
#include "interpreter/speech_commands.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "speech/speech.h"
#include "speech_support.h"

namespace {

using speech_support::LogCapture;
using speech_support::Samples;
using speech_support::VoiceFolder;
using speech_support::WavFile;

std::vector<std::string> Keys() {
  std::vector<std::string> keys;
  for (int code = 32; code < 127; ++code) keys.push_back("_" + std::to_string(code));
  for (const char* word : {"_sete", "_horas", "_trinta", "_minutos", "_uma", "_hora"}) keys.push_back(word);
  return keys;
}

void PostKeyAt(int64_t ms, char character) {
  platform::Event key;
  key.type = platform::EventType::Char;
  key.character = static_cast<uint8_t>(character);
  platform::PostEventAt(ms, key);
}

// A voice folder, speech started, and the log; drive C is the folder.
class CommandTest : public testing::Test {
 protected:
  CommandTest() : voice_(Keys(), {{"$A", 100, 10}}, "(A)=a|\n", "") {
    setenv("MIRANE_DRIVE_C", voice_.folder().path().c_str(), 1);
    speech::SpeechInit(3, "");
    interp::ResetVariables();
  }
  ~CommandTest() override {
    speech::SpeechEnd();
    unsetenv("MIRANE_DRIVE_C");
  }
  std::vector<std::string> Words() const {
    std::vector<std::string> words;
    for (const std::string& line : log_.Events("word")) words.push_back(line.substr(5));
    return words;
  }

  VoiceFolder voice_;
  LogCapture log_;
};

TEST_F(CommandTest, FalahoraTakesHoursAndMinutes) {
  struct Case { const char* arguments; bool ok; std::vector<std::string> words; };
  const Case cases[] = {
      {"\"07:30\"", true, {"_sete", "_horas", "_trinta", "_minutos"}},
      {"07:30", true, {"_sete", "_horas", "_trinta", "_minutos"}},
      {"\"01:00\"", true, {"_uma", "_hora"}},
      {"\"7:30\"", false, {}},
      {"7:30", false, {}},
      {"\"07-30\"", false, {}},
      {"\"0x:30\"", false, {}},
      {"", false, {}},
  };
  for (const Case& c : cases) {
    LogCapture log;
    EXPECT_EQ(interp::CmdFalahora(c.arguments), c.ok) << c.arguments;
    std::vector<std::string> words;
    for (const std::string& line : log.Events("word")) words.push_back(line.substr(5));
    EXPECT_EQ(words, c.words) << c.arguments;
  }
}

TEST_F(CommandTest, BipaBeepsOrClicks) {
  struct Case { const char* arguments; bool ok; const char* sound; };
  const Case cases[] = {{"", true, "beep"}, {"1", true, "click"}, {"\"1\"", true, "click"},
                        {"2", true, "beep"},  {"0", true, "beep"},   {"?", false, ""}};
  for (const Case& c : cases) {
    LogCapture log;
    EXPECT_EQ(interp::CmdBipa(c.arguments), c.ok) << c.arguments;
    std::vector<std::string> heard = log.Events(c.sound);
    EXPECT_EQ(heard.size(), c.ok ? 1u : 0u) << c.arguments;
  }
}

TEST_F(CommandTest, FalaSpeaksAndSoletraSpellsAndWrites) {
  EXPECT_TRUE(interp::CmdFala("\"a\" \"b\""));
  EXPECT_EQ(log_.Events("speak"), (std::vector<std::string>{"speak ab"}));
  EXPECT_FALSE(interp::CmdFala("\"a\" #"));
  EXPECT_TRUE(interp::CmdFala(""));
  EXPECT_TRUE(interp::CmdFala("\"a\" &"));
  EXPECT_TRUE(interp::CmdSoletra("\"ab\""));
  EXPECT_EQ(log_.Events("spell"), (std::vector<std::string>{"spell ab"}));
  EXPECT_EQ(console::ScreenRow(1).substr(0, 2), "ab");
  EXPECT_FALSE(interp::CmdSoletra(""));
}

TEST_F(CommandTest, AlarmeChecksItsRange) {
  struct Case { const char* arguments; bool ok; };
  const Case cases[] = {{"440 100", true},  {"0 0", true},       {"20000 20000", true}, {"440 20001", false},
                        {"20001 10", false}, {"-1 100", false},  {"x 100", false},      {"440", false},
                        {"440 100 extra", true}};
  for (const Case& c : cases) EXPECT_EQ(automation::CmdAlarme(c.arguments), c.ok) << c.arguments;
  EXPECT_EQ(log_.Events("tone").front(), "tone 440 100");
}

TEST_F(CommandTest, MensagemPlaysTheUpperCasedWavName) {
  voice_.folder().Write("SOM.WAV", WavFile(Samples(300, 200)));
  EXPECT_TRUE(interp::CmdFala(""));
  EXPECT_TRUE(automation::CmdMensagem("\"c:\\som\""));
  EXPECT_TRUE(automation::CmdMensagem("\"c:\\som.wav\""));
  EXPECT_EQ(log_.Events("play").size(), 2u);
  EXPECT_NE(log_.Events("play").front().find("C:\\SOM.WAV"), std::string::npos);
  EXPECT_FALSE(automation::CmdMensagem(""));
}

TEST_F(CommandTest, TocaWaitsForTheSoundAndDiscardsTheKeyThatStopsIt) {
  voice_.folder().Write("longo.wav", WavFile(Samples(11025 * 5, 200)));
  int64_t start = platform::NowMs();
  EXPECT_TRUE(interp::CmdToca("\"c:\\longo.wav\""));
  EXPECT_GE(platform::NowMs() - start, 5000);
  start = platform::NowMs();
  PostKeyAt(start + 300, 'x');
  EXPECT_TRUE(interp::CmdToca("\"c:\\longo.wav\""));
  EXPECT_LT(platform::NowMs() - start, 400);
  EXPECT_EQ(console::QueuedKeys(), 0);
  // With "&" it returns at once.
  start = platform::NowMs();
  EXPECT_TRUE(interp::CmdToca("\"c:\\longo.wav\" &"));
  EXPECT_EQ(platform::NowMs(), start);
  EXPECT_FALSE(interp::CmdToca("\"c:\\longo.wav\" #"));
  EXPECT_FALSE(interp::CmdToca(""));
  EXPECT_TRUE(interp::CmdToca("\"c:\\nada.wav\""));  // errors are not reported
}

TEST_F(CommandTest, MciAnswersIntoAVariable) {
  voice_.folder().Write("curto.wav", WavFile(Samples(11025, 200)));
  EXPECT_TRUE(interp::CmdMci("A \"open c:\\curto.wav alias x\""));
  EXPECT_TRUE(interp::CmdMci("A \"status x length\""));
  EXPECT_EQ(interp::Variable('A'), "1000");
  EXPECT_TRUE(interp::CmdMci("A \"status y mode\""));
  EXPECT_EQ(interp::Variable('A'), "");
  EXPECT_FALSE(interp::CmdMci("A"));
  EXPECT_FALSE(interp::CmdMci("\"status x mode\""));
  EXPECT_FALSE(interp::CmdMci("A \"status x mode\" #"));
  EXPECT_TRUE(interp::CmdMci("A \"close x\""));
}

}  // namespace
