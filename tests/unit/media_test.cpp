// The media layer: MCI command strings over the audio layer, with sound
// passing in virtual time.
#include "platform/media.h"

#include <gtest/gtest.h>

#include <string>

#include "console/console.h"
#include "platform/audio.h"
#include "speech/wav_player.h"
#include "speech_support.h"

namespace {

namespace media = platform::media;

// A headless console with one second of sound in "um.wav" and a quarter of
// a second of 16-bit stereo in "quarto.wav".
class MediaTest : public testing::Test {
 protected:
  void SetUp() override {
    console_.folder().Write("um.wav", speech_support::WavFile(speech_support::Samples(11025, 200)));
    console_.folder().Write("quarto.wav", speech_support::WavFile(std::vector<uint8_t>(44100, 0), 44100, 16, 2));
    speech::WavPlayerStart();
  }
  void TearDown() override {
    media::CloseAll();
    platform::audio::Shutdown();
  }
  std::string Path(const std::string& name) const { return (console_.folder().path() / name).string(); }
  // Sends a command; returns the answer, or "error N".
  std::string Send(const std::string& command) {
    std::string answer;
    int code = media::SendCommand(command, answer);
    return code == 0 ? answer : "error " + std::to_string(code);
  }

  test_support::HeadlessConsole console_;
};

TEST_F(MediaTest, OpenPlayStatusClose) {
  EXPECT_EQ(Send("open \"" + Path("um.wav") + "\" alias som"), "");
  EXPECT_EQ(Send("status som mode"), "stopped");
  EXPECT_EQ(Send("status SOM length"), "1000");
  EXPECT_EQ(Send("play som"), "");
  EXPECT_EQ(Send("status som mode"), "playing");
  console::Delay(600);
  EXPECT_EQ(Send("status som mode"), "playing");
  console::Delay(500);
  EXPECT_EQ(Send("status som mode"), "stopped");
  EXPECT_EQ(Send("close som"), "");
  EXPECT_EQ(Send("status som mode"), "error " + std::to_string(media::kInvalidDevice));
}

TEST_F(MediaTest, StopEndsTheSoundAtOnce) {
  Send("open \"" + Path("um.wav") + "\" alias som");
  Send("play som");
  console::Delay(100);
  EXPECT_EQ(Send("stop som"), "");
  EXPECT_EQ(Send("status som mode"), "stopped");
  EXPECT_EQ(platform::audio::Pending(), 0);
}

TEST_F(MediaTest, PlayOpensAFileByItsName) {
  EXPECT_EQ(Send("play \"" + Path("quarto.wav") + "\""), "");
  EXPECT_EQ(Send("status \"" + Path("quarto.wav") + "\" mode"), "playing");
  console::Delay(300);
  EXPECT_EQ(Send("status \"" + Path("quarto.wav") + "\" mode"), "stopped");
}

TEST_F(MediaTest, PauseAndResume) {
  Send("open \"" + Path("um.wav") + "\" alias som");
  Send("play som");
  console::Delay(300);
  Send("pause som");
  EXPECT_EQ(Send("status som mode"), "paused");
  console::Delay(2000);
  Send("resume som");
  EXPECT_EQ(Send("status som mode"), "playing");
  console::Delay(1000);
  EXPECT_EQ(Send("status som mode"), "stopped");
}

TEST_F(MediaTest, Errors) {
  struct Case { std::string command; int code; };
  const Case cases[] = {
      {"", media::kUnrecognizedCommand},
      {"dance som", media::kUnrecognizedCommand},
      {"open", media::kMissingParameter},
      {"open \"" + Path("nada.wav") + "\" alias x", media::kFileNotFound},
      {"play \"" + Path("nada.wav") + "\"", media::kFileNotFound},
      {"status ninguem mode", media::kInvalidDevice},
      {"open \"" + Path("um.wav") + "\" alias um bogus", media::kUnrecognizedKeyword},
  };
  for (const Case& c : cases) EXPECT_EQ(Send(c.command), "error " + std::to_string(c.code)) << c.command;
  console_.folder().Write("texto.wav", "not a sound");
  EXPECT_EQ(Send("open \"" + Path("texto.wav") + "\" alias t"), "error " + std::to_string(media::kCannotLoadDriver));
  EXPECT_EQ(Send("open \"" + Path("um.wav") + "\" alias a"), "");
  EXPECT_EQ(Send("open \"" + Path("um.wav") + "\" alias A"), "error " + std::to_string(media::kDuplicateAlias));
  EXPECT_EQ(Send("close all"), "");
  EXPECT_EQ(Send("status a mode"), "error " + std::to_string(media::kInvalidDevice));
}

TEST_F(MediaTest, TheWavPlayerPlaysBesideTheMediaSound) {
  Send("open \"" + Path("um.wav") + "\" alias som");
  Send("play som");
  console::Delay(100);
  EXPECT_EQ(speech::PlayWavFile(Path("quarto.wav")), 0);
  EXPECT_EQ(Send("status som mode"), "playing");
  // The player stopping its sound (as a key does) leaves the media sound alone.
  std::vector<uint8_t> speech_sound(11025, 100);
  EXPECT_EQ(speech::PlayPcm(speech_sound.data(), speech_sound.size(), 11025, 1, 8), 0);
  speech::WavStop();
  EXPECT_EQ(Send("status som mode"), "playing");
  console::Delay(1100);
  EXPECT_EQ(Send("status som mode"), "stopped");
}

}  // namespace
