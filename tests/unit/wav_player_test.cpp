// The WAV player: how a file is cut into pieces, the padding of short 8-bit
// pieces, fast playback, speech compression and its constants, 16-to-8-bit
// conversion, and a key stopping playback.
#include "speech/wav_player.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "speech_support.h"

namespace {

using speech_support::Samples;
using speech_support::WavFile;

struct Queued {
  std::vector<uint8_t> data;
  int rate, bits, channels;
};

// A headless console with the player's buffers recorded as they go out.
class PlayerTest : public testing::Test {
 protected:
  void SetUp() override {
    speech::WavPlayerStart();
    speech::SetFastPlayback(false);
    speech::SetCompression(false);
    speech::SetQueueObserver([this](const uint8_t* data, size_t bytes, int rate, int bits, int channels) {
      queued_.push_back({std::vector<uint8_t>(data, data + bytes), rate, bits, channels});
    });
  }
  void TearDown() override {
    speech::WavStop();
    speech::SetQueueObserver(nullptr);
    speech::SetFastPlayback(false);
    speech::SetCompression(false);
  }
  // Writes `file` and plays it.
  int Play(const std::string& file) {
    console_.folder().Write("sound.wav", file);
    return speech::PlayWavFile((console_.folder().path() / "sound.wav").string());
  }
  std::vector<size_t> Sizes() const {
    std::vector<size_t> sizes;
    for (const Queued& q : queued_) sizes.push_back(q.data.size());
    return sizes;
  }

  test_support::HeadlessConsole console_;
  std::vector<Queued> queued_;
};

TEST(WavPieces, DataChunksAreCutSoNoLastPieceIsTiny) {
  struct Case { size_t data; std::vector<size_t> pieces; };
  const Case cases[] = {
      {0, {}},
      {100, {100}},
      {65534, {65534}},
      {65535, {65278, 257}},
      {65600, {65278, 322}},
      {65789, {65278, 511}},
      {65790, {65534, 256}},
      {131068, {65534, 65534}},
      {131100, {65534, 65278, 288}},
  };
  for (const Case& c : cases) EXPECT_EQ(speech::FilePieces(c.data), c.pieces) << c.data;
}

TEST(WavHeader, DescribesTheDataThatFollows) {
  uint8_t header[speech::kWavHeaderBytes];
  speech::BuildWavHeader(header, 1000, 22050, 2, 16);
  std::string text(reinterpret_cast<char*>(header), sizeof header);
  EXPECT_EQ(text.substr(0, 4), "RIFF");
  EXPECT_EQ(text.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(text.substr(36, 4), "data");
  auto le32 = [&](int at) { return header[at] | header[at + 1] << 8 | header[at + 2] << 16 | header[at + 3] << 24; };
  EXPECT_EQ(le32(4), 1036);
  EXPECT_EQ(le32(16), 16);
  EXPECT_EQ(header[20], 1);         // PCM
  EXPECT_EQ(header[22], 2);         // channels
  EXPECT_EQ(le32(24), 22050);
  EXPECT_EQ(le32(28), 22050 * 2 * 2);
  EXPECT_EQ(header[32], 1);         // block alignment, left at 1
  EXPECT_EQ(header[34], 16);
  EXPECT_EQ(le32(40), 1000);
}

TEST_F(PlayerTest, ShortEightBitSoundIsPaddedToTwoHundredFiftySixBytes) {
  EXPECT_EQ(Play(WavFile(Samples(100, 200))), 0);
  ASSERT_EQ(queued_.size(), 1u);
  const auto& data = queued_[0].data;
  ASSERT_EQ(data.size(), 256u);
  for (size_t i = 0; i < 100; ++i) EXPECT_EQ(data[i], 200) << i;
  for (size_t i = 100; i < 256; ++i) EXPECT_EQ(data[i], 128) << i;
}

TEST_F(PlayerTest, LongFileIsQueuedInPiecesEndingInSilence) {
  EXPECT_EQ(Play(WavFile(Samples(65600, 200))), 0);
  EXPECT_EQ(Sizes(), (std::vector<size_t>{65278, 322}));
  for (const Queued& q : queued_) EXPECT_EQ(q.data.back(), 128);
  // A piece of exactly 65534 bytes keeps its last byte.
  queued_.clear();
  EXPECT_EQ(Play(WavFile(Samples(65534 * 2, 200))), 0);
  EXPECT_EQ(Sizes(), (std::vector<size_t>{65534, 65534}));
  EXPECT_EQ(queued_[0].data.back(), 200);
}

TEST_F(PlayerTest, SixteenBitStereoPiecesHoldWholeFrames) {
  std::vector<uint8_t> data(70000, 0);
  EXPECT_EQ(Play(WavFile(data, 22050, 16, 2)), 0);
  ASSERT_EQ(queued_.size(), 2u);
  EXPECT_EQ(queued_[0].data.size() % 4, 0u);
  EXPECT_EQ(queued_[0].data.size() + queued_[1].data.size(), 70000u);
  EXPECT_EQ(queued_[0].bits, 16);
  EXPECT_EQ(queued_[0].channels, 2);
}

TEST_F(PlayerTest, FastPlaybackRaisesTheRateByHalf) {
  struct Case { int rate; int played; };
  const Case cases[] = {{11025, 16537}, {22050, 33075}, {8000, 12000}};
  speech::SetFastPlayback(true);
  for (const Case& c : cases) {
    queued_.clear();
    EXPECT_EQ(Play(WavFile(Samples(300, 200), c.rate)), 0);
    ASSERT_EQ(queued_.size(), 1u);
    EXPECT_EQ(queued_[0].rate, c.played) << c.rate;
  }
}

TEST_F(PlayerTest, CompressionSendsSixteenBitMonoAsEightBits) {
  // 500 samples (fewer than 1000: converted, not shortened). Sample i holds
  // 256 * i - 32768 + 5: its high byte with the top bit inverted is i.
  std::vector<uint8_t> data;
  for (int i = 0; i < 500; ++i) {
    int16_t value = static_cast<int16_t>(256 * (i % 256) - 32768 + 5);
    data.push_back(static_cast<uint8_t>(value & 0xFF));
    data.push_back(static_cast<uint8_t>((static_cast<uint16_t>(value) >> 8) & 0xFF));
  }
  speech::SetCompression(true);
  EXPECT_EQ(Play(WavFile(data, 11025, 16, 1)), 0);
  ASSERT_EQ(queued_.size(), 1u);
  EXPECT_EQ(queued_[0].bits, 8);
  ASSERT_EQ(queued_[0].data.size(), 500u);
  for (int i = 0; i < 499; ++i) EXPECT_EQ(queued_[0].data[i], i % 256) << i;
  EXPECT_EQ(queued_[0].data[499], 128);  // the last byte of a piece is silence
}

TEST_F(PlayerTest, CompressionLeavesStereoAlone) {
  speech::SetCompression(true);
  EXPECT_EQ(Play(WavFile(Samples(4000, 200), 11025, 8, 2)), 0);
  ASSERT_EQ(queued_.size(), 1u);
  EXPECT_EQ(queued_[0].data.size(), 4000u);
}

// A pulse of 250 every `period` samples over silence.
std::vector<uint8_t> PulseTrain(size_t count, size_t period) {
  std::vector<uint8_t> samples(count, 128);
  for (size_t i = 0; i < count; i += period) samples[i] = 250;
  return samples;
}

TEST(SpeechCompression, DropsEveryOtherPeriodWithTheConstantsOfTheRate) {
  struct Case {
    int rate;
    size_t count, period;
    size_t length;          // what is left
    std::vector<size_t> pulses;  // where the kept pulses land
  };
  const Case cases[] = {
      // 11025 Hz: first peak in 200..330, periods searched 80 samples on
      // within 50. Kept: 300..399, 500..599, ... 1700..1799, then the tail
      // up to a quiet sample.
      {11025, 2000, 100, 1001, {0, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000}},
      // Any other rate (here 11025 * 1.5): first peak in 800..1320, periods
      // 320 on within 200.
      {16537, 4000, 400, 2001, {0, 400, 800, 1200, 1600, 2000}},
      // Fewer than 1000 samples: unchanged.
      {11025, 999, 100, 999, {0, 100, 200, 300, 400, 500, 600, 700, 800, 900}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> samples = PulseTrain(c.count, c.period);
    size_t length = speech::CompressSpeech(samples.data(), samples.size(), 8, c.rate);
    EXPECT_EQ(length, c.length) << c.rate << " " << c.count;
    std::vector<size_t> pulses;
    for (size_t i = 0; i < length; ++i)
      if (samples[i] == 250) pulses.push_back(i);
    EXPECT_EQ(pulses, c.pulses) << c.rate << " " << c.count;
  }
}

TEST(SpeechCompression, ConvertsSixteenBitsFirst) {
  // 2000 16-bit samples: the pulse train above in the high bytes.
  std::vector<uint8_t> train = PulseTrain(2000, 100), data;
  for (uint8_t value : train) {
    data.push_back(0x34);
    data.push_back(static_cast<uint8_t>(value ^ 0x80));
  }
  EXPECT_EQ(speech::CompressSpeech(data.data(), data.size(), 16, 11025), 1001u);
}

TEST_F(PlayerTest, KeyStopsALongFileWithinOneBufferAndStaysQueued) {
  // 18 seconds of sound; a key arrives half a second in.
  platform::Event key;
  key.type = platform::EventType::Char;
  key.character = 'x';
  platform::PostEventAt(500, key);
  EXPECT_EQ(Play(WavFile(Samples(3 * 65534, 200))), 0);
  EXPECT_LT(platform::NowMs(), 500 + 10) << "playback went on after the key";
  EXPECT_EQ(console::QueuedKeys(), 1);
  EXPECT_EQ(speech::BuffersInFlight(), 0);
  EXPECT_FALSE(platform::audio::IsOpen());
}

TEST_F(PlayerTest, WaitingKeyPlaysNothing) {
  platform::Event key;
  key.type = platform::EventType::Char;
  key.character = 'x';
  platform::PostEvent(key);
  EXPECT_EQ(Play(WavFile(Samples(1000, 200))), 0);
  EXPECT_TRUE(queued_.empty());
  EXPECT_EQ(console::QueuedKeys(), 1);
}

TEST_F(PlayerTest, WholeFileIsHeardBeforeItReturns) {
  // One second of sound at 11025 Hz: the call returns when it has been heard.
  EXPECT_EQ(Play(WavFile(Samples(11025, 200))), 0);
  EXPECT_GE(platform::NowMs(), 1000);
  EXPECT_EQ(speech::BuffersInFlight(), 0);
}

TEST_F(PlayerTest, BadFilesPlayNothing) {
  const std::string good = WavFile(Samples(300, 200));
  const std::string cases[] = {
      "",
      "RIFX" + good.substr(4),
      good.substr(0, 12) + "fmx " + good.substr(16),
      good.substr(0, 30),
  };
  for (const std::string& file : cases) {
    EXPECT_EQ(Play(file), -1);
  }
  EXPECT_EQ(speech::PlayWavFile("/nonexistent/x.wav"), -1);
  EXPECT_TRUE(queued_.empty());
  // The marks are compared without regard to case.
  std::string lower = good;
  lower.replace(0, 4, "riff");
  EXPECT_EQ(Play(lower), 0);
  EXPECT_EQ(queued_.size(), 1u);
}

TEST_F(PlayerTest, ImagesInMemoryNeedTheirMarks) {
  std::string image = WavFile(Samples(300, 200));
  speech::PlayWavImage(reinterpret_cast<const uint8_t*>(image.data()), image.size());
  while (speech::WavBusy()) console::WaitMessage();
  EXPECT_EQ(queued_.size(), 1u);
  image.replace(12, 4, "junk");
  speech::PlayWavImage(reinterpret_cast<const uint8_t*>(image.data()), image.size());
  EXPECT_EQ(queued_.size(), 1u);
}

}  // namespace
