// The null and wav:FILE outputs: nothing is heard, buffers pass in program
// time (virtual in headless mode), one after the other. Each buffer's
// WaveDone is posted as a timed event at the program time its sound ends; a
// reset withdraws those not yet due and posts them at once instead. The wav
// output also captures what was heard, as it was heard, into a WAV file.
#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio_backend.h"
#include "platform/audio_capture.h"
#include "platform/clock.h"
#include "platform/events.h"

namespace platform::audio {
namespace {

int64_t NowUs() { return NowMs() * 1000; }

// The millisecond in which a sound ending at `time_us` has ended.
int64_t CeilMs(int64_t time_us) { return (time_us + 999) / 1000; }

void PostDone(int64_t id, int64_t at_ms, bool timed) {
  Event event;
  event.type = EventType::WaveDone;
  event.param = id;
  if (timed) {
    PostEventAt(at_ms, event);
  } else {
    PostEvent(event);
  }
}

class TimelineBackend final : public Backend {
 public:
  // `capture` is null for the null output.
  TimelineBackend(const char* name, std::unique_ptr<CaptureFile> capture)
      : name_(name), capture_(std::move(capture)) {}

  const char* Name() const override { return name_; }

  bool Open(const Format& format) override {
    format_ = format;
    return true;
  }

  void Close() override { Reset(); }

  // Plays after the buffer queued last, or now when that one has ended.
  bool Write(const uint8_t* data, size_t bytes, int64_t id) override {
    int64_t now = NowUs();
    Settle(now);
    Queued buffer;
    buffer.id = id;
    buffer.start_us = std::max(now, end_us_);
    int64_t frames = static_cast<int64_t>(bytes / FrameBytes(format_));
    buffer.end_us = buffer.start_us + (frames * 1'000'000 + format_.rate - 1) / format_.rate;
    if (capture_) buffer.samples = ToCaptureSamples(data, bytes, format_);
    end_us_ = buffer.end_us;
    PostDone(id, CeilMs(buffer.end_us), true);
    queue_.push_back(std::move(buffer));
    return true;
  }

  // Keeps what has been heard; the rest is dropped and reported done now.
  void Reset() override {
    int64_t now = NowUs();
    SettleUntil(now);
    std::deque<Queued> dropped;
    dropped.swap(queue_);
    end_us_ = now;
    if (dropped.empty()) return;
    // Their timed events are all still in the future (the due ones were
    // settled above), so only these are withdrawn.
    CancelTimedEvents(EventType::WaveDone);
    for (const Queued& buffer : dropped) PostDone(buffer.id, 0, false);
  }

  int Pending() override {
    Settle(NowUs());
    return static_cast<int>(queue_.size());
  }

  void StartLoop(const uint8_t* pcm, size_t bytes, const Format& format) override {
    loop_playing_ = true;
    if (!capture_) return;
    int64_t now = NowUs();
    SettleUntil(now);
    capture_->BeginHold(now);
    loop_samples_ = ToCaptureSamples(pcm, bytes, format);
  }

  void StopLoop() override {
    if (!loop_playing_) return;
    loop_playing_ = false;
    if (!capture_) return;
    int64_t now = NowUs();
    SettleUntil(now);
    capture_->MixHeld(loop_samples_, now);
    loop_samples_.clear();
  }

 private:
  struct Queued {
    int64_t id = 0;
    int64_t start_us = 0;            // program time its sound starts
    int64_t end_us = 0;              // ... and ends
    std::vector<int16_t> samples;    // in the capture format (wav output only)
    size_t captured = 0;             // samples already in the capture
  };

  // Forgets the buffers that have ended by `now`, capturing them whole.
  void Settle(int64_t now) {
    while (!queue_.empty() && queue_.front().end_us <= now) {
      CaptureUntil(queue_.front(), now);
      queue_.pop_front();
    }
  }

  // Settles, then captures the part of the playing buffer heard by `now`.
  void SettleUntil(int64_t now) {
    Settle(now);
    if (!queue_.empty()) CaptureUntil(queue_.front(), now);
  }

  // Adds to the capture what `buffer` has played by `now`.
  void CaptureUntil(Queued& buffer, int64_t now) {
    if (!capture_ || now <= buffer.start_us) return;
    size_t target = buffer.samples.size();
    if (now < buffer.end_us) {
      target = std::min(target, static_cast<size_t>(CaptureSamplesIn(now - buffer.start_us)));
    }
    if (target <= buffer.captured) return;
    if (buffer.captured == 0) capture_->PlaceAt(buffer.start_us);
    capture_->Append(buffer.samples.data() + buffer.captured, target - buffer.captured,
                     std::min(now, buffer.end_us));
    buffer.captured = target;
  }

  const char* name_;
  std::unique_ptr<CaptureFile> capture_;
  Format format_;
  std::deque<Queued> queue_;            // buffers not yet ended, in playing order
  int64_t end_us_ = 0;                  // program time the last buffer queued ends
  bool loop_playing_ = false;
  std::vector<int16_t> loop_samples_;   // the loop in the capture format
};

std::unique_ptr<Backend> CreateNull(const std::string&) {
  return std::make_unique<TimelineBackend>("null", nullptr);
}

std::unique_ptr<Backend> CreateWav(const std::string& path) {
  auto capture = CaptureFile::Create(path);
  if (!capture) return nullptr;
  return std::make_unique<TimelineBackend>("wav", std::move(capture));
}

}  // namespace

const BackendDescriptor kNullBackend = {"null", "nothing is heard; sound passes in program time", CreateNull};
const BackendDescriptor kWavBackend = {"wav", "as null, and captured into a WAV file", CreateWav};

}  // namespace platform::audio
