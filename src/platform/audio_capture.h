// audio capture: the WAV file of the wav:FILE output, a faithful timeline of
// everything heard, in one format (16-bit signed mono, 22050 Hz). Private to
// the audio layer.
//
// Sounds are mixed in at the place of the program time they are heard, so
// sounds heard together (the two outputs, the loop) are added up as the
// device adds them. The silence between sounds is kept, each pause in which
// nothing at all sounds cut to 2 seconds so that long pauses do not make
// huge files. Samples stay in memory until they are final (Commit), then go
// to the file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace platform::audio {

constexpr int kCaptureRate = 22050;

// Capture samples in `microseconds` of sound (rounded down).
int64_t CaptureSamplesIn(int64_t microseconds);

class CaptureFile {
  struct Key {
    explicit Key() = default;
  };

 public:
  // Creates (truncates) the file at `path`; null when it cannot.
  static std::unique_ptr<CaptureFile> Create(const std::string& path);
  // Takes `file`, open for update; only Create can call it.
  CaptureFile(Key, std::FILE* file);
  // Writes what is held and leaves a finished file.
  ~CaptureFile();
  CaptureFile(const CaptureFile&) = delete;
  CaptureFile& operator=(const CaptureFile&) = delete;

  // The capture position (sample index) of program time `time_us`.
  int64_t PositionOf(int64_t time_us) const;
  // Something starts sounding at program time `time_us` after a silence
  // since `silent_since_us` (-1: nothing sounded yet): the silence kept
  // before it is at most 2 seconds (none before the first sound).
  void StartAfterSilence(int64_t time_us, int64_t silent_since_us);
  // Adds `count` samples from capture position `position` on.
  void Mix(int64_t position, const int16_t* samples, size_t count);
  // Everything mixed before `position` is final: it goes to the file.
  void Commit(int64_t position);

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  // Writes the first `count` held samples out and forgets them.
  void WriteOut(size_t count);
  void WriteHeader();

  std::unique_ptr<std::FILE, FileCloser> file_;
  uint64_t data_bytes_ = 0;       // sample bytes in the file
  int64_t cut_ = 0;               // capture samples of silence left out so far
  int64_t held_start_ = 0;        // capture position of held_[0] (= samples in the file)
  std::vector<int32_t> held_;     // sums not yet final
};

}  // namespace platform::audio
