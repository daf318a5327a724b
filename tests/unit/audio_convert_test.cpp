// The audio layer's conversion to the device format: every frame kept, and
// a sound cut into buffers converted as if it were whole.
#include "platform/audio_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

namespace audio = platform::audio;

// `frames` frames of a 440 Hz tone at a quarter of full scale in `format`.
std::vector<uint8_t> Tone(const audio::Format& format, int frames) {
  std::vector<uint8_t> data;
  for (int i = 0; i < frames; ++i) {
    double value = 0.25 * std::sin(2 * M_PI * 440.0 * i / format.rate);
    for (int c = 0; c < format.channels; ++c) {
      if (format.bits == 8) {
        data.push_back(static_cast<uint8_t>(128 + std::lround(value * 127)));
      } else {
        auto sample = static_cast<uint16_t>(static_cast<int16_t>(std::lround(value * 32767)));
        data.push_back(static_cast<uint8_t>(sample & 0xFF));
        data.push_back(static_cast<uint8_t>(sample >> 8));
      }
    }
  }
  return data;
}

struct Case {
  audio::Format from;
  int rate, channels;
};

std::string Name(const Case& test) {
  return std::to_string(test.from.rate) + "/" + std::to_string(test.from.channels) + "/" +
         std::to_string(test.from.bits) + " -> " + std::to_string(test.rate) + "/" + std::to_string(test.channels);
}

const Case kCases[] = {
    {{8000, 8, 1}, 48000, 2},   {{11025, 8, 1}, 44100, 2},  {{11025, 8, 1}, 48000, 1},
    {{16537, 8, 1}, 44100, 2},  {{22050, 16, 2}, 48000, 2}, {{44100, 16, 2}, 22050, 1},
    {{48000, 16, 1}, 44100, 2}, {{22050, 16, 1}, 22050, 1}, {{8000, 16, 2}, 22050, 1},
};

TEST(AudioConvert, EveryFrameOfEveryBufferIsKept) {
  for (const Case& test : kCases) {
    SCOPED_TRACE(Name(test));
    // The beep's size, a letter's, a quarter second, and a piece of 65534
    // bytes' worth of frames.
    for (int frames : {1, 512, 6360, test.from.rate / 4, 65534 / 2}) {
      std::vector<uint8_t> data = Tone(test.from, frames);
      std::vector<int16_t> out = audio::ConvertAll(data.data(), data.size(), test.from, test.rate, test.channels);
      int64_t expected = (static_cast<int64_t>(frames) * test.rate + test.from.rate / 2) / test.from.rate;
      EXPECT_EQ(out.size(), static_cast<size_t>(expected * test.channels)) << frames << " frames";
    }
  }
}

TEST(AudioConvert, BuffersOfOneStreamJoinAsIfTheyWereOne) {
  for (const Case& test : kCases) {
    SCOPED_TRACE(Name(test));
    const int frames = test.from.rate / 2;
    std::vector<uint8_t> data = Tone(test.from, frames);
    std::vector<int16_t> whole = audio::ConvertAll(data.data(), data.size(), test.from, test.rate, test.channels);

    // The same half second in buffers of uneven sizes, as the players queue
    // them.
    audio::Converter converter(test.from, test.rate, test.channels);
    ASSERT_TRUE(converter.Ok());
    std::vector<int16_t> pieces;
    const size_t frame_bytes = static_cast<size_t>(test.from.channels * test.from.bits / 8);
    size_t at = 0;
    for (size_t size : {size_t{300}, size_t{1}, size_t{2047}, size_t{512}}) {
      size_t bytes = std::min(size * frame_bytes, data.size() - at);
      converter.Put(data.data() + at, bytes, pieces);
      at += bytes;
    }
    converter.Put(data.data() + at, data.size() - at, pieces);
    EXPECT_EQ(converter.InputFrames(), frames);
    converter.End(pieces);
    ASSERT_EQ(pieces.size(), whole.size());
    int largest = 0;
    for (size_t i = 0; i < whole.size(); ++i) largest = std::max(largest, std::abs(pieces[i] - whole[i]));
    EXPECT_LE(largest, 2);
    // And the stream starts afresh after its end.
    EXPECT_EQ(converter.InputFrames(), 0);
  }
}

TEST(AudioConvert, ChannelsAndWidthsAtTheSameRate) {
  // No rate change: exact values. Stereo 8-bit left 255, right 1 averages to
  // 0; mono 16-bit is doubled.
  std::vector<uint8_t> stereo8 = {255, 1, 255, 1};
  EXPECT_EQ(audio::ConvertAll(stereo8.data(), stereo8.size(), {8000, 8, 2}, 8000, 1), (std::vector<int16_t>{0, 0}));
  std::vector<uint8_t> mono16 = {0x34, 0x12};
  EXPECT_EQ(audio::ConvertAll(mono16.data(), mono16.size(), {8000, 16, 1}, 8000, 2),
            (std::vector<int16_t>{0x1234, 0x1234}));
  std::vector<uint8_t> mono8 = {128, 0, 255};
  EXPECT_EQ(audio::ConvertAll(mono8.data(), mono8.size(), {8000, 8, 1}, 8000, 1),
            (std::vector<int16_t>{0, -32768, 32512}));
}

}  // namespace
