#include "platform/audio_capture.h"

#include <algorithm>

namespace platform::audio {
namespace {

// Longest silence kept between two sounds: longer pauses are cut to it.
constexpr int64_t kMaximumGapUs = 2'000'000;
constexpr size_t kHeaderBytes = 44;

// The value of channel `channel` of frame `frame`, as a 16-bit signed sample.
int SampleAt(const uint8_t* data, size_t frame, int channel, const Format& format) {
  if (format.bits == 8) return (data[frame * format.channels + channel] - 128) * 256;
  const uint8_t* bytes = data + (frame * format.channels + channel) * 2;
  return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
}

void PutLittleEndian(uint8_t* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

int16_t Clamp16(int value) { return static_cast<int16_t>(std::clamp(value, -32768, 32767)); }

}  // namespace

std::vector<int16_t> ToCaptureSamples(const uint8_t* data, size_t bytes, const Format& format) {
  size_t frame_bytes = static_cast<size_t>(format.channels) * static_cast<size_t>(format.bits / 8);
  size_t frames = frame_bytes ? bytes / frame_bytes : 0;
  if (frames == 0 || format.rate <= 0) return {};
  std::vector<int> mono(frames);
  for (size_t frame = 0; frame < frames; ++frame) {
    int sum = 0;
    for (int channel = 0; channel < format.channels; ++channel) sum += SampleAt(data, frame, channel, format);
    mono[frame] = sum / format.channels;
  }
  const int64_t rate = format.rate;
  size_t count = static_cast<size_t>((static_cast<int64_t>(frames) * kCaptureRate + rate / 2) / rate);
  std::vector<int16_t> out(count);
  for (size_t i = 0; i < count; ++i) {
    // Position i * rate / kCaptureRate in the source, as whole and fraction.
    int64_t position = static_cast<int64_t>(i) * rate;
    size_t left = std::min(static_cast<size_t>(position / kCaptureRate), frames - 1);
    size_t right = std::min(left + 1, frames - 1);
    int64_t fraction = position % kCaptureRate;
    int64_t value = mono[left] + (mono[right] - mono[left]) * fraction / kCaptureRate;
    out[i] = static_cast<int16_t>(value);
  }
  return out;
}

int64_t CaptureSamplesIn(int64_t microseconds) {
  return microseconds <= 0 ? 0 : microseconds * kCaptureRate / 1'000'000;
}

std::unique_ptr<CaptureFile> CaptureFile::Create(const std::string& path) {
  if (path.empty()) return nullptr;
  std::FILE* file = std::fopen(path.c_str(), "w+b");
  if (!file) return nullptr;
  auto capture = std::make_unique<CaptureFile>(Key(), file);
  capture->WriteHeader();
  return capture;
}

CaptureFile::CaptureFile(Key, std::FILE* file) : file_(file) {}

CaptureFile::~CaptureFile() {
  if (!held_.empty()) WriteOut(held_.data(), held_.size());
  WriteHeader();
}

void CaptureFile::PlaceAt(int64_t time_us) {
  if (end_us_ < 0) {
    end_us_ = time_us;
    return;
  }
  if (time_us <= end_us_) return;
  int64_t gap = time_us - end_us_;
  if (!holding_) gap = std::min(gap, kMaximumGapUs);
  AddSilence(static_cast<size_t>(CaptureSamplesIn(gap)));
  end_us_ = time_us;
}

void CaptureFile::Append(const int16_t* samples, size_t count, int64_t end_us) {
  Add(samples, count);
  end_us_ = std::max(end_us_, end_us);
}

void CaptureFile::BeginHold(int64_t time_us) {
  PlaceAt(time_us);
  holding_ = true;
  hold_start_us_ = time_us;
  held_.clear();
}

void CaptureFile::MixHeld(const std::vector<int16_t>& loop, int64_t end_us) {
  if (!holding_) return;
  size_t count = static_cast<size_t>(CaptureSamplesIn(end_us - hold_start_us_));
  if (!loop.empty() && count > 0) {
    if (held_.size() < count) held_.resize(count, 0);
    for (size_t i = 0; i < count; ++i) held_[i] = Clamp16(held_[i] + loop[i % loop.size()]);
  }
  holding_ = false;
  WriteOut(held_.data(), held_.size());
  held_.clear();
  held_.shrink_to_fit();
  end_us_ = std::max(end_us_, end_us);
}

void CaptureFile::Add(const int16_t* samples, size_t count) {
  if (holding_) {
    held_.insert(held_.end(), samples, samples + count);
  } else {
    WriteOut(samples, count);
  }
}

void CaptureFile::AddSilence(size_t count) {
  std::vector<int16_t> silence(count, 0);
  Add(silence.data(), silence.size());
}

void CaptureFile::WriteOut(const int16_t* samples, size_t count) {
  if (count == 0) return;
  std::vector<uint8_t> bytes(count * 2);
  for (size_t i = 0; i < count; ++i) PutLittleEndian(&bytes[i * 2], static_cast<uint16_t>(samples[i]), 2);
  std::fseek(file_.get(), 0, SEEK_END);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) == bytes.size()) data_bytes_ += bytes.size();
  WriteHeader();
}

void CaptureFile::WriteHeader() {
  // A WAV file cannot describe more than 4 GB; a longer capture keeps its
  // first 4 GB readable.
  uint32_t data = static_cast<uint32_t>(std::min<uint64_t>(data_bytes_, 0xFFFFFFFFu - 36u) & ~1ull);
  uint8_t header[kHeaderBytes] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
  PutLittleEndian(header + 4, data + 36, 4);
  PutLittleEndian(header + 16, 16, 4);                 // format record size
  PutLittleEndian(header + 20, 1, 2);                  // PCM
  PutLittleEndian(header + 22, 1, 2);                  // mono
  PutLittleEndian(header + 24, kCaptureRate, 4);
  PutLittleEndian(header + 28, kCaptureRate * 2, 4);   // bytes per second
  PutLittleEndian(header + 32, 2, 2);                  // block alignment
  PutLittleEndian(header + 34, 16, 2);                 // bits per sample
  header[36] = 'd';
  header[37] = 'a';
  header[38] = 't';
  header[39] = 'a';
  PutLittleEndian(header + 40, data, 4);
  std::fseek(file_.get(), 0, SEEK_SET);
  std::fwrite(header, 1, kHeaderBytes, file_.get());
  std::fseek(file_.get(), 0, SEEK_END);
  std::fflush(file_.get());
}

}  // namespace platform::audio
