// audio conversion: PCM of any format the outputs take, turned into 16-bit
// samples of another rate and channel count, as one stream. Private to the
// audio layer; the device output and the capture file both convert through
// it, so the capture holds what the device plays.
//
// Buffers put one after another form one continuous stream: the rate change
// (libsoxr, high quality, no dither) carries its filter state across them, so
// a join between two buffers sounds as if they were one. A filter looks a
// little ahead, so the last few milliseconds put stay inside the converter
// until more comes or the stream is ended; ending it gives them out. Every
// frame counts: a stream of N source frames always gives exactly
// OutputFrames(N) frames.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio.h"

namespace platform::audio {

class Converter {
 public:
  // From `from` (a valid format) to 16-bit samples at `rate` with `channels`
  // (1 or 2) interleaved.
  Converter(const Format& from, int rate, int channels);
  ~Converter();
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // False when the resampler could not be made (out of memory).
  bool Ok() const;

  // Converts whole frames of `data` and appends what is ready to `out`.
  void Put(const uint8_t* data, size_t bytes, std::vector<int16_t>& out);
  // Ends the stream: appends the rest, so that the stream's output is exactly
  // OutputFrames(its input). The next Put starts a new stream.
  void End(std::vector<int16_t>& out);
  // Forgets the stream without giving out the rest.
  void Clear();

  // Output frames of a stream of `input_frames` source frames.
  int64_t OutputFrames(int64_t input_frames) const;
  // Source frames put since the stream started.
  int64_t InputFrames() const { return input_frames_; }
  // Output frames given out since the stream started.
  int64_t GivenFrames() const { return given_frames_; }
  int OutputChannels() const { return channels_; }
  // True when it converts from `format` (making a resampler takes a few ms:
  // one that fits is kept and used again).
  bool ConvertsFrom(const Format& format) const {
    return format.rate == from_.rate && format.bits == from_.bits && format.channels == from_.channels;
  }

 private:
  struct Resampler;
  Format from_;
  int rate_;
  int channels_;
  std::unique_ptr<Resampler> resampler_;  // null when the rates are equal
  std::vector<int16_t> scratch_;          // source frames as 16-bit output channels
  int64_t input_frames_ = 0;
  int64_t given_frames_ = 0;
};

// Converts all of `data` as one stream of its own: what a sound sounds like
// when nothing comes before or after it.
std::vector<int16_t> ConvertAll(const uint8_t* data, size_t bytes, const Format& from, int rate, int channels);

// Frames in the fade that ends a sound cut short (a key, a reset): 5 ms, short
// enough to be heard as an immediate stop, long enough not to click.
size_t FadeFrames(int rate);
// Fades interleaved `samples` of `channels` channels linearly to silence.
void FadeOut(std::vector<int16_t>& samples, size_t channels);

}  // namespace platform::audio
