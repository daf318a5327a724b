// audio capture: the WAV file of the wav:FILE output, a faithful timeline of
// everything played, in one format (16-bit signed mono, 22050 Hz). Private to
// the audio layer.
//
// Sounds are placed at the program time they start; the silence between two
// sounds is kept, each gap cut to 2 seconds so that long pauses do not make
// huge files. While a loop is held (StartLoop .. StopLoop) the gaps are kept
// whole, since the loop sounds through them, and the samples stay in memory
// until the loop is mixed over them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio.h"

namespace platform::audio {

constexpr int kCaptureRate = 22050;

// Converts whole frames of PCM in `format` (8-bit unsigned or 16-bit signed
// little-endian, mono or stereo, any rate) to capture samples: channels are
// averaged and the rate changed by linear interpolation.
std::vector<int16_t> ToCaptureSamples(const uint8_t* data, size_t bytes, const Format& format);

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
  // Releases any held samples and leaves a finished file.
  ~CaptureFile();
  CaptureFile(const CaptureFile&) = delete;
  CaptureFile& operator=(const CaptureFile&) = delete;

  // Moves the end of the capture to program time `time_us`, adding silence
  // for the gap since the last sound (none before the first one).
  void PlaceAt(int64_t time_us);
  // Adds `count` samples heard until program time `end_us`.
  void Append(const int16_t* samples, size_t count, int64_t end_us);
  // Starts holding samples from program time `time_us`, where a loop starts.
  void BeginHold(int64_t time_us);
  // Mixes `loop`, repeated, over what was held, up to program time `end_us`
  // where the loop stopped; then writes everything out.
  void MixHeld(const std::vector<int16_t>& loop, int64_t end_us);

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  // Adds samples at the end: to the held samples, or to the file.
  void Add(const int16_t* samples, size_t count);
  void AddSilence(size_t count);
  // Appends samples to the file and rewrites the header to match.
  void WriteOut(const int16_t* samples, size_t count);
  void WriteHeader();

  std::unique_ptr<std::FILE, FileCloser> file_;
  uint64_t data_bytes_ = 0;     // sample bytes in the file
  int64_t end_us_ = -1;         // program time of the end of the capture; -1 before the first sound
  bool holding_ = false;        // a loop is playing
  int64_t hold_start_us_ = 0;   // program time where it started
  std::vector<int16_t> held_;   // samples since then, not yet written
};

}  // namespace platform::audio
