#include "platform/audio_convert.h"

#include <soxr.h>

#include <algorithm>

#include "platform/audio_backend.h"

namespace platform::audio {

struct Converter::Resampler {
  soxr_t soxr = nullptr;
  ~Resampler() {
    if (soxr) soxr_delete(soxr);
  }
};

namespace {

int SampleAt(const uint8_t* data, size_t index, int bits) {
  if (bits == 8) return (data[index] - 128) * 256;
  return static_cast<int16_t>(static_cast<uint16_t>(data[index * 2] | (data[index * 2 + 1] << 8)));
}

}  // namespace

Converter::Converter(const Format& from, int rate, int channels) : from_(from), rate_(rate), channels_(channels) {
  if (from.rate == rate) return;
  resampler_ = std::make_unique<Resampler>();
  soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
  io.flags |= SOXR_NO_DITHER;
  soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  soxr_error_t error = nullptr;
  resampler_->soxr = soxr_create(from.rate, rate, static_cast<unsigned>(channels), &error, &io, &quality, nullptr);
  if (error) resampler_->soxr = nullptr;
}

Converter::~Converter() = default;

bool Converter::Ok() const { return !resampler_ || resampler_->soxr; }

int64_t Converter::OutputFrames(int64_t input_frames) const {
  if (from_.rate == rate_) return input_frames;
  return (input_frames * rate_ + from_.rate / 2) / from_.rate;
}

void Converter::Put(const uint8_t* data, size_t bytes, std::vector<int16_t>& out) {
  if (!Ok()) return;
  const size_t frames = bytes / FrameBytes(from_);
  if (frames == 0) return;
  // Width and channels first: mono is doubled, stereo averaged.
  scratch_.resize(frames * static_cast<size_t>(channels_));
  for (size_t frame = 0; frame < frames; ++frame) {
    if (from_.channels == channels_) {
      for (int c = 0; c < channels_; ++c)
        scratch_[frame * channels_ + c] = static_cast<int16_t>(SampleAt(data, frame * channels_ + c, from_.bits));
    } else if (from_.channels == 1) {
      int16_t value = static_cast<int16_t>(SampleAt(data, frame, from_.bits));
      scratch_[frame * 2] = scratch_[frame * 2 + 1] = value;
    } else {
      int sum = SampleAt(data, frame * 2, from_.bits) + SampleAt(data, frame * 2 + 1, from_.bits);
      scratch_[frame] = static_cast<int16_t>(sum >= 0 ? sum / 2 : -((-sum + 1) / 2));
    }
  }
  input_frames_ += static_cast<int64_t>(frames);
  if (!resampler_) {
    out.insert(out.end(), scratch_.begin(), scratch_.end());
    given_frames_ += static_cast<int64_t>(frames);
    return;
  }
  // Room for everything the stream may give now, at most its whole length.
  const int64_t room = OutputFrames(input_frames_) - given_frames_ + 64;
  if (room <= 0) return;
  size_t at = out.size();
  out.resize(at + static_cast<size_t>(room) * channels_);
  size_t done = 0, taken = 0;
  while (taken < frames && done < static_cast<size_t>(room)) {
    size_t used = 0, given = 0;
    soxr_process(resampler_->soxr, scratch_.data() + taken * channels_, frames - taken, &used,
                 out.data() + at + done * channels_, static_cast<size_t>(room) - done, &given);
    if (used == 0 && given == 0) break;
    taken += used;
    done += given;
  }
  // Never more than the stream's length (the end trims to it as well).
  done = std::min<size_t>(done, static_cast<size_t>(std::max<int64_t>(0, OutputFrames(input_frames_) - given_frames_)));
  out.resize(at + done * channels_);
  given_frames_ += static_cast<int64_t>(done);
}

void Converter::End(std::vector<int16_t>& out) {
  const int64_t wanted = OutputFrames(input_frames_);
  if (resampler_ && resampler_->soxr && input_frames_ > 0) {
    for (;;) {
      int64_t room = wanted - given_frames_;
      if (room <= 0) break;
      size_t at = out.size();
      out.resize(at + static_cast<size_t>(room) * channels_);
      size_t done = 0;
      soxr_process(resampler_->soxr, nullptr, 0, nullptr, out.data() + at, static_cast<size_t>(room), &done);
      out.resize(at + done * channels_);
      given_frames_ += static_cast<int64_t>(done);
      if (done == 0) break;
    }
  }
  // Whatever the filter gave, the stream has its exact length: a frame it
  // held back is silence.
  if (given_frames_ < wanted) out.resize(out.size() + static_cast<size_t>(wanted - given_frames_) * channels_, 0);
  Clear();
}

void Converter::Clear() {
  if (resampler_ && resampler_->soxr) soxr_clear(resampler_->soxr);
  input_frames_ = 0;
  given_frames_ = 0;
}

std::vector<int16_t> ConvertAll(const uint8_t* data, size_t bytes, const Format& from, int rate, int channels) {
  Converter converter(from, rate, channels);
  std::vector<int16_t> out;
  converter.Put(data, bytes, out);
  converter.End(out);
  return out;
}

size_t FadeFrames(int rate) { return static_cast<size_t>(rate > 0 ? rate / 200 : 0); }

void FadeOut(std::vector<int16_t>& samples, size_t channels) {
  if (channels == 0) return;
  const size_t frames = samples.size() / channels;
  for (size_t frame = 0; frame < frames; ++frame) {
    // From just under full level down to just over nothing.
    const double gain = static_cast<double>(frames - frame) / static_cast<double>(frames + 1);
    for (size_t channel = 0; channel < channels; ++channel) {
      int16_t& sample = samples[frame * channels + channel];
      sample = static_cast<int16_t>(static_cast<double>(sample) * gain);
    }
  }
}

}  // namespace platform::audio
