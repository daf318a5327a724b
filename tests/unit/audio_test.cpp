// The audio layer on its null and capture outputs, under the virtual clock.
#include "platform/audio.h"
#include "platform/audio_capture.h"
#include "platform/audio_convert.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio_backend.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/lifecycle.h"

namespace {

namespace audio = platform::audio;

const audio::Format kMono8{11025, 8, 1};      // 11025 bytes = 1 s
const audio::Format kMono16{22050, 16, 1};    // 44100 bytes = 1 s
const audio::Format kStereo16{44100, 16, 2};  // 176400 bytes = 1 s

// `frames` frames of 8-bit PCM, every sample `value`.
std::vector<uint8_t> Pcm8(size_t frames, uint8_t value) { return std::vector<uint8_t>(frames, value); }

// `frames` frames of 16-bit PCM whose channels hold `values` (one per channel).
std::vector<uint8_t> Pcm16(size_t frames, std::vector<int16_t> values) {
  std::vector<uint8_t> pcm;
  for (size_t frame = 0; frame < frames; ++frame) {
    for (int16_t value : values) {
      pcm.push_back(static_cast<uint8_t>(value & 0xFF));
      pcm.push_back(static_cast<uint8_t>((static_cast<uint16_t>(value) >> 8) & 0xFF));
    }
  }
  return pcm;
}

uint32_t Little(const std::vector<uint8_t>& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
  return value;
}

// The samples of a capture file, after checking that its header describes
// exactly 16-bit mono 22050 Hz PCM of the file's length.
std::vector<int16_t> ReadCapture(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> samples;
  EXPECT_GE(bytes.size(), 44u) << path;
  if (bytes.size() < 44) return samples;
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
  EXPECT_EQ(Little(bytes, 4, 4), bytes.size() - 8);
  EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(Little(bytes, 16, 4), 16u);
  EXPECT_EQ(Little(bytes, 20, 2), 1u);       // PCM
  EXPECT_EQ(Little(bytes, 22, 2), 1u);       // mono
  EXPECT_EQ(Little(bytes, 24, 4), 22050u);
  EXPECT_EQ(Little(bytes, 28, 4), 44100u);
  EXPECT_EQ(Little(bytes, 32, 2), 2u);
  EXPECT_EQ(Little(bytes, 34, 2), 16u);
  EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
  EXPECT_EQ(Little(bytes, 40, 4), bytes.size() - 44);
  for (size_t at = 44; at + 1 < bytes.size(); at += 2) {
    samples.push_back(static_cast<int16_t>(Little(bytes, at, 2)));
  }
  return samples;
}

// How many of samples [from, to) equal `value`.
size_t CountEqual(const std::vector<int16_t>& samples, size_t from, size_t to, int16_t value) {
  size_t count = 0;
  for (size_t i = from; i < to && i < samples.size(); ++i) count += samples[i] == value;
  return count;
}

class AudioTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::ClockInit(platform::TimeMode::Virtual);
    platform::ClearEvents();
  }
  void TearDown() override {
    audio::Shutdown();
    platform::ClearEvents();
    unsetenv("TESSEL_AUDIO");
    unsetenv("TESSEL_CONSOLE");
  }

  // Chooses the output as TESSEL_AUDIO=`setting` would; returns its name.
  std::string Use(const std::string& setting) {
    setenv("TESSEL_AUDIO", setting.c_str(), 1);
    return audio::Init();
  }

  std::string CapturePath(const std::string& name) { return testing::TempDir() + "audio_" + name + ".wav"; }

  bool Write(const std::vector<uint8_t>& pcm, int64_t id) { return audio::Write(pcm.data(), pcm.size(), id); }

  // The ids of the WaveDone events due now, in the order they arrive.
  std::vector<int64_t> TakeDone() {
    std::vector<int64_t> ids;
    platform::Event event;
    while (platform::TakeEvent(event)) {
      if (event.type == platform::EventType::WaveDone) ids.push_back(event.param);
    }
    return ids;
  }
};

using Ids = std::vector<int64_t>;

TEST_F(AudioTest, NullBuffersEndOneAfterAnotherAtTheirProgramTimes) {
  ASSERT_EQ(Use("null"), "null");
  ASSERT_TRUE(audio::Open(kMono8));
  ASSERT_TRUE(Write(Pcm8(11025, 128), 1));  // 0 .. 1000 ms
  ASSERT_TRUE(Write(Pcm8(2205, 128), 2));   // .. 1200
  ASSERT_TRUE(Write(Pcm8(4410, 128), 3));   // .. 1600
  EXPECT_EQ(audio::Pending(), 3);

  const struct {
    int64_t at_ms;
    int64_t id;
    int pending_after;
  } kEnds[] = {{1000, 1, 2}, {1200, 2, 1}, {1600, 3, 0}};
  for (const auto& end : kEnds) {
    SCOPED_TRACE(end.id);
    platform::AdvanceTo(end.at_ms - 1);
    EXPECT_EQ(TakeDone(), Ids{});
    platform::AdvanceTo(end.at_ms);
    EXPECT_EQ(TakeDone(), Ids{end.id});
    EXPECT_EQ(audio::Pending(), end.pending_after);
  }

  // After a silence, a buffer starts when it is written.
  platform::AdvanceTo(2000);
  ASSERT_TRUE(Write(Pcm8(441, 128), 4));
  EXPECT_EQ(platform::NextTimedEventMs(), 2040);
}

TEST_F(AudioTest, NullResetReportsDroppedBuffersOnceAndNothingLater) {
  ASSERT_EQ(Use("null"), "null");
  ASSERT_TRUE(audio::Open(kMono8));
  for (int64_t id = 1; id <= 3; ++id) ASSERT_TRUE(Write(Pcm8(11025, 128), id));
  platform::AdvanceTo(1500);  // the first has ended (not yet taken), the second is playing

  audio::Reset();
  EXPECT_EQ(audio::Pending(), 0);
  EXPECT_EQ(TakeDone(), (Ids{1, 2, 3}));

  // Playing goes on from the time of the reset; the dropped buffers' old
  // times bring nothing.
  ASSERT_TRUE(Write(Pcm8(441, 128), 4));
  EXPECT_EQ(platform::NextTimedEventMs(), 1540);
  platform::AdvanceTo(10000);
  EXPECT_EQ(TakeDone(), Ids{4});

  // Closing drops and reports like a reset.
  ASSERT_TRUE(Write(Pcm8(11025, 128), 5));
  audio::Close();
  EXPECT_FALSE(audio::IsOpen());
  EXPECT_EQ(TakeDone(), Ids{5});
  platform::AdvanceTo(20000);
  EXPECT_EQ(TakeDone(), Ids{});
}

TEST_F(AudioTest, CoreRefusesWhatCannotBePlayed) {
  ASSERT_EQ(Use("null"), "null");
  EXPECT_FALSE(Write(Pcm8(100, 128), 1)) << "nothing is open";
  const audio::Format kInvalid[] = {{0, 8, 1}, {11025, 12, 1}, {11025, 24, 1}, {11025, 8, 0}, {11025, 16, 3}};
  for (const audio::Format& format : kInvalid) {
    SCOPED_TRACE(testing::Message() << format.rate << " " << format.bits << " " << format.channels);
    EXPECT_FALSE(audio::Open(format));
    EXPECT_FALSE(audio::IsOpen());
  }
  ASSERT_TRUE(audio::Open(kStereo16));
  EXPECT_TRUE(audio::IsOpen());
  EXPECT_FALSE(audio::Write(nullptr, 4, 1));

  // A trailing part of a frame is left out: 100 ms and 3 bytes last 100 ms.
  std::vector<uint8_t> pcm = Pcm16(4410, {0, 0});
  pcm.resize(pcm.size() + 3);
  ASSERT_TRUE(Write(pcm, 7));
  EXPECT_EQ(platform::NextTimedEventMs(), 100);
}

TEST_F(AudioTest, CoreDurationOfBytes) {
  const struct {
    size_t bytes;
    audio::Format format;
    int64_t ms;
  } kCases[] = {
      {11025, kMono8, 1000},
      {176400, kStereo16, 1000},
      {441, kMono8, 40},
      {1, kMono8, 1},       // a part of a millisecond counts whole
      {3, kMono16, 1},      // one whole frame
      {1, kMono16, 0},      // less than a frame
      {0, kMono8, 0},
      {100, {0, 8, 1}, 0},  // not a format
  };
  for (const auto& test : kCases) {
    EXPECT_EQ(audio::DurationMs(test.bytes, test.format), test.ms) << test.bytes << " bytes at " << test.format.rate;
  }
}

TEST_F(AudioTest, CoreChoosesOnceUntilShutdown) {
  ASSERT_EQ(Use("null"), "null");
  std::string path = CapturePath("once");
  EXPECT_EQ(Use("wav:" + path), "null");
  EXPECT_STREQ(audio::BackendName(), "null");
  audio::Shutdown();
  EXPECT_STREQ(audio::BackendName(), "");
  EXPECT_EQ(audio::Init(), "wav");
}

TEST_F(AudioTest, CoreFallsBackToNullWhenTheChoiceCannotWork) {
  setenv("TESSEL_CONSOLE", "headless", 1);
  const char* kSettings[] = {"wav:/nonexistent-folder/capture.wav", "wav:", "wav", "loudspeaker", ""};
  for (const char* setting : kSettings) {
    SCOPED_TRACE(setting);
    EXPECT_EQ(Use(setting), "null");
    audio::Shutdown();
  }
}

TEST_F(AudioTest, WavCapturesAnyFormatAs16BitMono22050) {
  const struct {
    const char* name;
    audio::Format format;
    std::vector<uint8_t> pcm;
    int16_t sample;
  } kCases[] = {
      {"mono8", kMono8, Pcm8(11025, 200), (200 - 128) * 256},
      {"stereo16", kStereo16, Pcm16(44100, {1000, 3000}), 2000},
      {"mono16", kMono16, Pcm16(22050, {-1234}), -1234},
      {"stereo8", {8000, 8, 2}, Pcm16(8000, {0x0080}), -16384},  // left 128, right 0
  };
  for (const auto& test : kCases) {
    SCOPED_TRACE(test.name);
    platform::ClockInit(platform::TimeMode::Virtual);
    std::string path = CapturePath(test.name);
    ASSERT_EQ(Use("wav:" + path), "wav");
    ASSERT_TRUE(audio::Open(test.format));
    ASSERT_TRUE(Write(test.pcm, 1));
    platform::AdvanceTo(1000);
    audio::Shutdown();
    std::vector<int16_t> samples = ReadCapture(path);
    // Every frame is kept: one second is one second whatever the rate.
    ASSERT_EQ(samples.size(), 22050u);
    // The rate change smooths the sudden start and end (a few ms); in
    // between, the level is the source's.
    const size_t edge = 256;
    EXPECT_EQ(CountEqual(samples, edge, samples.size() - edge, test.sample), samples.size() - 2 * edge);
  }
}

TEST_F(AudioTest, WavKeepsTheTimelineWithGapsCutToTwoSeconds) {
  std::string path = CapturePath("gaps");
  ASSERT_EQ(Use("wav:" + path), "wav");
  ASSERT_TRUE(audio::Open(kMono16));
  std::vector<uint8_t> tenth = Pcm16(2205, {1000});  // 100 ms
  platform::AdvanceTo(300);  // no silence before the first sound
  ASSERT_TRUE(Write(tenth, 1));
  platform::AdvanceTo(900);  // 500 ms of silence
  ASSERT_TRUE(Write(tenth, 2));
  platform::AdvanceTo(20000);  // a long pause: 2 s kept
  ASSERT_TRUE(Write(tenth, 3));
  platform::AdvanceTo(20100);
  audio::Shutdown();

  std::vector<int16_t> samples = ReadCapture(path);
  ASSERT_EQ(samples.size(), 2205u + 11025u + 2205u + 44100u + 2205u);
  EXPECT_EQ(CountEqual(samples, 0, 2205, 1000), 2205u);
  EXPECT_EQ(CountEqual(samples, 2205, 13230, 0), 11025u);
  EXPECT_EQ(CountEqual(samples, 13230, 15435, 1000), 2205u);
  EXPECT_EQ(CountEqual(samples, 15435, 59535, 0), 44100u);
  EXPECT_EQ(CountEqual(samples, 59535, 61740, 1000), 2205u);
}

TEST_F(AudioTest, WavResetKeepsOnlyWhatWasHeard) {
  std::string path = CapturePath("reset");
  ASSERT_EQ(Use("wav:" + path), "wav");
  ASSERT_TRUE(audio::Open(kMono8));
  ASSERT_TRUE(Write(Pcm8(11025, 200), 1));
  ASSERT_TRUE(Write(Pcm8(11025, 200), 2));
  platform::AdvanceTo(1250);
  audio::Reset();
  platform::AdvanceTo(5000);
  audio::Shutdown();
  // What was heard, then a 5 ms fade instead of a step, then silence.
  const size_t fade = audio::FadeFrames(audio::kCaptureRate);
  std::vector<int16_t> samples = ReadCapture(path);
  ASSERT_EQ(samples.size(), 22050u + 5512u + fade);
  const size_t cut = 22050u + 5512u;
  EXPECT_GT(samples[cut - 20], 10000);
  for (size_t i = cut + 5; i < cut + fade; ++i) ASSERT_LE(samples[i], samples[i - 1]) << i;
  EXPECT_LT(std::abs(samples.back()), 600);
}

TEST_F(AudioTest, WavShutdownCutsWhatIsStillQueued) {
  std::string path = CapturePath("shutdown");
  ASSERT_EQ(Use("wav:" + path), "wav");
  ASSERT_TRUE(audio::Open(kMono8));
  ASSERT_TRUE(Write(Pcm8(11025, 200), 1));
  platform::AdvanceTo(500);
  audio::Shutdown();
  EXPECT_EQ(ReadCapture(path).size(), 11025u + audio::FadeFrames(audio::kCaptureRate));
  EXPECT_EQ(TakeDone(), Ids{1});
}

TEST_F(AudioTest, WavLoopIsCapturedForItsTimeAndMixedWithTheOutput) {
  std::string path = CapturePath("loop");
  ASSERT_EQ(Use("wav:" + path), "wav");

  // A loop alone: a square wave of 10 samples at 11025 Hz (96 and 160).
  std::vector<uint8_t> square = Pcm8(5, 96);
  square.resize(10, 160);
  audio::StartLoop(square.data(), square.size(), kMono8);
  platform::AdvanceTo(200);
  audio::StopLoop();
  // Beside a sound: the sound plays 1000 .. 1200 ms, the loop 1100 .. 1300.
  platform::AdvanceTo(1000);
  ASSERT_TRUE(audio::Open(kMono16));
  ASSERT_TRUE(Write(Pcm16(4410, {1000}), 1));
  platform::AdvanceTo(1100);
  std::vector<uint8_t> hum = Pcm16(100, {500});
  audio::StartLoop(hum.data(), hum.size(), kMono16);
  platform::AdvanceTo(1300);
  audio::StopLoop();
  platform::AdvanceTo(2000);
  audio::Shutdown();

  std::vector<int16_t> samples = ReadCapture(path);
  // 200 ms of loop, 800 ms of silence, 300 ms of sound and loop.
  ASSERT_EQ(samples.size(), 4410u + 17640u + 6615u);
  // The square wave, twice as many samples per period, repeats all along
  // (its corners rounded by the rate change).
  EXPECT_NEAR(samples[5], -32 * 256, 32 * 256 / 4);
  EXPECT_NEAR(samples[15], 32 * 256, 32 * 256 / 4);
  for (size_t i = 0; i + 20 < 4410; ++i) ASSERT_EQ(samples[i], samples[i + 20]) << i;
  EXPECT_EQ(CountEqual(samples, 4410, 22050, 0), 17640u);
  EXPECT_EQ(CountEqual(samples, 22050, 24255, 1000), 2205u);
  EXPECT_EQ(CountEqual(samples, 24255, 26460, 1500), 2205u);
  EXPECT_EQ(CountEqual(samples, 26460, 28665, 500), 2205u);
}

TEST_F(AudioTest, WavMixesTheMediaOutputWithTheMainOutput) {
  std::string path = CapturePath("mixed");
  ASSERT_EQ(Use("wav:" + path), "wav");
  // A second of background sound from 0 ms; speech 300 .. 500 ms, cut by a
  // reset at 400 ms; the background plays on to its end.
  ASSERT_TRUE(audio::Open(kMono16, audio::Channel::Media));
  ASSERT_TRUE(audio::Write(Pcm16(22050, {1000}).data(), 44100, 1000, audio::Channel::Media));
  platform::AdvanceTo(300);
  ASSERT_TRUE(audio::Open(kMono16));
  ASSERT_TRUE(Write(Pcm16(4410, {500}), 1));
  platform::AdvanceTo(400);
  audio::Reset();
  EXPECT_EQ(audio::Pending(), 0);
  EXPECT_EQ(audio::Pending(audio::Channel::Media), 1);
  platform::AdvanceTo(2000);
  EXPECT_EQ(audio::Pending(audio::Channel::Media), 0);
  audio::Shutdown();
  Ids done = TakeDone();
  std::sort(done.begin(), done.end());
  EXPECT_EQ(done, (Ids{1, 1000}));

  std::vector<int16_t> samples = ReadCapture(path);
  ASSERT_EQ(samples.size(), 22050u);
  EXPECT_EQ(CountEqual(samples, 0, 6615, 1000), 6615u);
  EXPECT_EQ(CountEqual(samples, 6615, 8820, 1500), 2205u);
  // The speech fades out over 5 ms; the background goes on alone.
  const size_t fade = audio::FadeFrames(audio::kCaptureRate);
  for (size_t i = 8820; i < 8820 + fade; ++i) ASSERT_TRUE(samples[i] > 1000 && samples[i] < 1500) << i;
  EXPECT_EQ(CountEqual(samples, 8820 + fade, 22050, 1000), 13230u - fade);
}

TEST_F(AudioTest, WavFileIsFinishedWhenTheProgramExits) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const struct {
    const char* name;
    void (*end)();
  } kEndings[] = {
      {"exit_platform", [] { platform::Exit(0); }},
      {"exit_std", [] { std::exit(0); }},
  };
  for (const auto& ending : kEndings) {
    SCOPED_TRACE(ending.name);
    std::string path = CapturePath(ending.name);
    EXPECT_EXIT(
        {
          Use("wav:" + path);
          audio::Open(kMono8);
          Write(Pcm8(11025, 200), 1);
          platform::AdvanceTo(1000);
          ending.end();
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadCapture(path).size(), 22050u);
  }
}

TEST_F(AudioTest, DeviceCannotOpenOrWorks) {
  std::unique_ptr<audio::Backend> device = audio::kDeviceBackend.create("");
  if (!device) GTEST_SKIP() << "no sound device here";
  EXPECT_STREQ(device->Name(), "device");
  EXPECT_TRUE(device->Open(audio::Channel::Main, kMono8));
  EXPECT_EQ(device->Pending(audio::Channel::Main), 0);
  device->Close(audio::Channel::Main);
}

}  // namespace
