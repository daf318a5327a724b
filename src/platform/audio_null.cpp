// The null and wav:FILE outputs: nothing is heard, buffers pass in program
// time (virtual in headless mode), each output's one after the other, the
// two outputs side by side. Each buffer's WaveDone is posted as a timed event
// at the program time its sound ends; a reset withdraws those not yet due and
// posts them at once instead. The wav output also captures what was heard,
// as it was heard, into a WAV file: each output's buffers are converted as
// one stream, as the device converts them (audio_convert.h), and the two
// outputs and the loop are mixed.
#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio_backend.h"
#include "platform/audio_capture.h"
#include "platform/audio_convert.h"
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

struct Queued {
  int64_t id = 0;
  int64_t start_us = 0;            // program time its sound starts
  int64_t end_us = 0;              // ... and ends
  // The capture (wav output only):
  int64_t position = 0;            // capture position of its first sample
  size_t length = 0;               // its samples in the capture format
  std::vector<int16_t> samples;    // those converted so far
  size_t captured = 0;             // samples already in the capture
};

// One output (main or media).
struct Lane {
  Format format;
  std::deque<Queued> queue;              // buffers not yet ended and captured, in playing order
  int64_t end_us = 0;                    // program time the last buffer queued ends
  // The stream of buffers playing one after another without a gap:
  int64_t stream_start_us = 0;
  int64_t stream_frames = 0;             // source frames queued in it
  int64_t stream_position = 0;           // capture position where it starts
  std::unique_ptr<Converter> converter;  // to the capture format (wav output only)
};

class TimelineBackend final : public Backend {
 public:
  // `capture` is null for the null output.
  TimelineBackend(const char* name, std::unique_ptr<CaptureFile> capture)
      : name_(name), capture_(std::move(capture)) {}

  ~TimelineBackend() override {
    // What was still queued is cut where program time stands.
    int64_t now = NowUs();
    for (Lane& lane : lanes_) {
      EndStream(lane);
      SettleUntil(lane, now);
    }
    MixLoopUntil(now);
    Commit(now);
  }

  const char* Name() const override { return name_; }

  bool Open(Channel channel, const Format& format) override {
    Lane& lane = lanes_[Index(channel)];
    lane.format = format;
    lane.stream_frames = 0;
    if (capture_ && lane.converter && lane.converter->ConvertsFrom(format)) {
      lane.converter->Clear();
    } else if (capture_) {
      lane.converter = std::make_unique<Converter>(format, kCaptureRate, 1);
      if (!lane.converter->Ok()) return false;
    }
    return true;
  }

  void Close(Channel channel) override { Reset(channel); }

  // Plays after the buffer queued last, or now when that one has ended.
  bool Write(Channel channel, const uint8_t* data, size_t bytes, int64_t id) override {
    Lane& lane = lanes_[Index(channel)];
    int64_t now = NowUs();
    SettleAll(now);
    if (lane.end_us <= now || lane.stream_frames == 0) StartStream(lane, now);
    Queued buffer;
    buffer.id = id;
    const int64_t frames = static_cast<int64_t>(bytes / FrameBytes(lane.format));
    const int64_t rate = lane.format.rate;
    buffer.start_us = std::max(now, lane.end_us);
    const int64_t before = lane.stream_frames;
    lane.stream_frames += frames;
    buffer.end_us = lane.stream_start_us + (lane.stream_frames * 1'000'000 + rate - 1) / rate;
    lane.end_us = buffer.end_us;
    PostDone(id, CeilMs(buffer.end_us), true);
    if (capture_ && lane.converter) {
      int64_t first = lane.converter->OutputFrames(before);
      buffer.position = lane.stream_position + first;
      buffer.length = static_cast<size_t>(lane.converter->OutputFrames(lane.stream_frames) - first);
      lane.queue.push_back(std::move(buffer));
      std::vector<int16_t> converted;
      lane.converter->Put(data, bytes, converted);
      Distribute(lane, converted);
    } else {
      lane.queue.push_back(std::move(buffer));
    }
    return true;
  }

  // Keeps what has been heard; the rest is dropped and reported done now.
  void Reset(Channel channel) override {
    Lane& lane = lanes_[Index(channel)];
    int64_t now = NowUs();
    SettleAll(now);
    EndStream(lane);
    SettleUntil(lane, now);
    FadeTail(lane);
    std::deque<Queued> dropped;
    dropped.swap(lane.queue);
    if (!dropped.empty()) silent_since_us_ = std::max(silent_since_us_, now);
    lane.end_us = std::min(lane.end_us, now);
    lane.stream_frames = 0;
    Commit(now);
    if (dropped.empty()) return;
    // Their timed events are all still in the future (the due ones were
    // settled above), so only these are withdrawn; the other output's are
    // posted again as they were.
    CancelTimedEvents(EventType::WaveDone);
    for (const Queued& buffer : dropped) PostDone(buffer.id, 0, false);
    for (const Lane& other : lanes_) {
      for (const Queued& buffer : other.queue) {
        if (buffer.end_us > now) PostDone(buffer.id, CeilMs(buffer.end_us), true);
      }
    }
  }

  int Pending(Channel channel) override {
    SettleAll(NowUs());
    return static_cast<int>(lanes_[Index(channel)].queue.size());
  }

  void StartLoop(const uint8_t* pcm, size_t bytes, const Format& format) override {
    int64_t now = NowUs();
    SettleAll(now);
    if (Silent()) StartSound(now);
    loop_playing_ = true;
    if (!capture_) return;
    loop_samples_ = ConvertAll(pcm, bytes, format, kCaptureRate, 1);
    loop_start_ = capture_->PositionOf(now);
    loop_mixed_ = loop_start_;
  }

  void StopLoop() override {
    if (!loop_playing_) return;
    int64_t now = NowUs();
    SettleAll(now);
    loop_playing_ = false;
    silent_since_us_ = std::max(silent_since_us_, now);
    loop_samples_.clear();
  }

 private:
  // Nothing sounds: no buffer queued on either output and no loop.
  bool Silent() const {
    return !loop_playing_ && lanes_[0].queue.empty() && lanes_[1].queue.empty();
  }

  // A sound begins at `now` after silence: the capture cuts long pauses.
  void StartSound(int64_t now) {
    if (capture_) capture_->StartAfterSilence(now, silent_since_us_);
  }

  // A new stream of buffers of `lane` starts at `now`.
  void StartStream(Lane& lane, int64_t now) {
    EndStream(lane);
    if (Silent()) StartSound(now);
    lane.stream_start_us = now;
    lane.stream_frames = 0;
    lane.stream_position = capture_ ? capture_->PositionOf(now) : 0;
  }

  // Ends the lane's stream: the converter gives out what it held back.
  void EndStream(Lane& lane) {
    if (!lane.converter || lane.converter->InputFrames() == 0) return;
    std::vector<int16_t> rest;
    lane.converter->End(rest);
    Distribute(lane, rest);
  }

  // Hands converted samples of the stream to its buffers, in order.
  void Distribute(Lane& lane, const std::vector<int16_t>& converted) {
    size_t at = 0;
    for (Queued& buffer : lane.queue) {
      if (at >= converted.size()) break;
      size_t room = buffer.length - buffer.samples.size();
      size_t take = std::min(room, converted.size() - at);
      buffer.samples.insert(buffer.samples.end(), converted.begin() + static_cast<std::ptrdiff_t>(at),
                            converted.begin() + static_cast<std::ptrdiff_t>(at + take));
      at += take;
    }
  }

  // Brings every output, the loop and the file to `now`.
  void SettleAll(int64_t now) {
    for (Lane& lane : lanes_) Settle(lane, now);
    MixLoopUntil(now);
    Commit(now);
  }

  // Forgets the buffers of `lane` that have ended by `now`, capturing them
  // whole; a stream that has ended gives out its last samples first.
  void Settle(Lane& lane, int64_t now) {
    if (!lane.queue.empty() && lane.end_us <= now) EndStream(lane);
    while (!lane.queue.empty() && lane.queue.front().end_us <= now) {
      Queued& front = lane.queue.front();
      CaptureUntil(front, now);
      if (capture_ && front.captured < front.length) break;  // its end is still being converted
      silent_since_us_ = std::max(silent_since_us_, front.end_us);
      lane.queue.pop_front();
    }
    if (!lane.queue.empty()) CaptureUntil(lane.queue.front(), now);
  }

  // A reset does not cut the sound on a step, as the device does not: the
  // few milliseconds after the cut go into the capture, faded out.
  void FadeTail(Lane& lane) {
    if (!capture_) return;
    std::vector<int16_t> tail;
    int64_t position = -1;
    const size_t wanted = FadeFrames(kCaptureRate);
    for (const Queued& buffer : lane.queue) {
      if (buffer.captured >= buffer.samples.size()) continue;
      int64_t from = buffer.position + static_cast<int64_t>(buffer.captured);
      if (position < 0) position = from;
      if (from != position + static_cast<int64_t>(tail.size())) break;  // not contiguous
      size_t take = std::min(wanted - tail.size(), buffer.samples.size() - buffer.captured);
      tail.insert(tail.end(), buffer.samples.begin() + static_cast<std::ptrdiff_t>(buffer.captured),
                  buffer.samples.begin() + static_cast<std::ptrdiff_t>(buffer.captured + take));
      if (tail.size() >= wanted) break;
    }
    if (tail.empty()) return;
    FadeOut(tail, 1);
    capture_->Mix(position, tail.data(), tail.size());
  }

  // Settles, then captures the part of the playing buffer heard by `now`.
  void SettleUntil(Lane& lane, int64_t now) {
    Settle(lane, now);
    for (Queued& buffer : lane.queue) CaptureUntil(buffer, now);
  }

  // Adds to the capture what `buffer` has played by `now`.
  void CaptureUntil(Queued& buffer, int64_t now) {
    if (!capture_ || now <= buffer.start_us) return;
    size_t target = buffer.samples.size();
    if (now < buffer.end_us) {
      int64_t heard = capture_->PositionOf(now) - buffer.position;
      target = std::min(target, static_cast<size_t>(std::max<int64_t>(0, heard)));
    }
    if (target <= buffer.captured) return;
    capture_->Mix(buffer.position + static_cast<int64_t>(buffer.captured), buffer.samples.data() + buffer.captured,
                  target - buffer.captured);
    buffer.captured = target;
  }

  void MixLoopUntil(int64_t now) {
    if (!capture_ || !loop_playing_ || loop_samples_.empty()) return;
    int64_t until = capture_->PositionOf(now);
    std::vector<int16_t> piece;
    for (int64_t position = loop_mixed_; position < until; ++position) {
      piece.push_back(loop_samples_[static_cast<size_t>(position - loop_start_) % loop_samples_.size()]);
    }
    capture_->Mix(loop_mixed_, piece.data(), piece.size());
    loop_mixed_ = std::max(loop_mixed_, until);
  }

  // Writes out what no output can change any more.
  void Commit(int64_t now) {
    if (!capture_) return;
    int64_t final_position = capture_->PositionOf(now);
    for (const Lane& lane : lanes_) {
      if (lane.queue.empty()) continue;
      const Queued& front = lane.queue.front();
      final_position = std::min(final_position, front.position + static_cast<int64_t>(front.captured));
    }
    capture_->Commit(final_position);
  }

  const char* name_;
  std::unique_ptr<CaptureFile> capture_;
  Lane lanes_[kChannels];
  int64_t silent_since_us_ = -1;        // program time the last sound ended; -1 before any
  bool loop_playing_ = false;
  std::vector<int16_t> loop_samples_;   // the loop in the capture format
  int64_t loop_start_ = 0;              // capture position where it started
  int64_t loop_mixed_ = 0;              // ... and up to where it is mixed in
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
