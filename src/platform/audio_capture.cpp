#include "platform/audio_capture.h"

#include <algorithm>

namespace platform::audio {
namespace {

// Longest silence kept between two sounds: longer pauses are cut to it.
constexpr int64_t kMaximumGapUs = 2'000'000;
constexpr size_t kHeaderBytes = 44;

void PutLittleEndian(uint8_t* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

int16_t Clamp16(int value) { return static_cast<int16_t>(std::clamp(value, -32768, 32767)); }

}  // namespace

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
  WriteOut(held_.size());
  WriteHeader();
}

int64_t CaptureFile::PositionOf(int64_t time_us) const { return CaptureSamplesIn(time_us) - cut_; }

void CaptureFile::StartAfterSilence(int64_t time_us, int64_t silent_since_us) {
  int64_t end = held_start_ + static_cast<int64_t>(held_.size());
  int64_t kept = silent_since_us < 0 ? 0 : std::clamp<int64_t>(time_us - silent_since_us, 0, kMaximumGapUs);
  int64_t wanted = end + CaptureSamplesIn(kept);
  // Only silence is left out: the new sound never starts before the end.
  cut_ = std::max<int64_t>(0, CaptureSamplesIn(time_us) - wanted);
}

void CaptureFile::Mix(int64_t position, const int16_t* samples, size_t count) {
  if (count == 0) return;
  if (position < held_start_) {
    // Already written: only the part after it can still be added.
    size_t late = static_cast<size_t>(std::min<int64_t>(held_start_ - position, static_cast<int64_t>(count)));
    samples += late;
    count -= late;
    position = held_start_;
  }
  size_t at = static_cast<size_t>(position - held_start_);
  if (held_.size() < at + count) held_.resize(at + count, 0);
  for (size_t i = 0; i < count; ++i) held_[at + i] += samples[i];
}

void CaptureFile::Commit(int64_t position) {
  if (position <= held_start_) return;
  WriteOut(static_cast<size_t>(std::min<int64_t>(position - held_start_, static_cast<int64_t>(held_.size()))));
}

void CaptureFile::WriteOut(size_t count) {
  if (count == 0) return;
  std::vector<uint8_t> bytes(count * 2);
  for (size_t i = 0; i < count; ++i) PutLittleEndian(&bytes[i * 2], static_cast<uint16_t>(Clamp16(held_[i])), 2);
  std::fseek(file_.get(), 0, SEEK_END);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) == bytes.size()) data_bytes_ += bytes.size();
  held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(count));
  held_start_ += static_cast<int64_t>(count);
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
