// The device output: one SDL2 audio device, opened once in 16-bit stereo at
// the device's own rate, fed by a callback. Each output (main, media) has a
// converter to the device format (audio_convert.h) and a queue of converted
// frames with the marks where its buffers end; the callback mixes both
// queues into the device buffer. The callback runs on SDL's audio thread:
// the queues and marks are shared with it under the device lock.
//
// A buffer's WaveDone is posted at the callback after the one that handed
// over its last frame: by then the device has played it, give or take one
// device buffer. The converter keeps the last few milliseconds of a stream
// back (its filter looks ahead); when a queue runs dry with a buffer still
// unfinished, the callback ends the stream to get them, since silence
// follows anyway. Lock order: an output's converter lock, then the device
// lock; the callback holds the device lock and only tries the converter's.
#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/audio_backend.h"
#include "platform/audio_convert.h"
#include "platform/events.h"

namespace platform::audio {
namespace {

// Why the device could not be opened (SDL's words); empty when it was.
std::string g_device_failure;

// Device buffer in sample frames for the back end SDL picked: small, so that
// a reset silences the sound within a few milliseconds. PulseAudio keeps
// about one such buffer in the server, ALSA two periods of it, PipeWire one
// quantum.
Uint16 DeviceFrames(std::string_view driver) {
  if (driver == "pulseaudio") return 512;
  return 256;  // alsa, pipewire, and any other
}

// Keeps SDL's audio subsystem up while a back end lives.
class AudioSubsystem {
 public:
  AudioSubsystem() : up_(SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {}
  ~AudioSubsystem() {
    if (up_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  AudioSubsystem(const AudioSubsystem&) = delete;
  AudioSubsystem& operator=(const AudioSubsystem&) = delete;
  bool Up() const { return up_; }

 private:
  bool up_;
};

// Holds the device lock, which keeps the callback out, for one scope.
class DeviceLock {
 public:
  explicit DeviceLock(SDL_AudioDeviceID device) : device_(device) { SDL_LockAudioDevice(device_); }
  ~DeviceLock() { SDL_UnlockAudioDevice(device_); }
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;

 private:
  SDL_AudioDeviceID device_;
};

void PostDone(int64_t id) {
  Event event;
  event.type = EventType::WaveDone;
  event.param = id;
  PostEvent(event);
}

// Where a buffer ends in its output's frames.
struct Mark {
  int64_t id = 0;
  int64_t end = 0;  // frames of the output up to the buffer's last one
};

// One output (main or media).
struct Output {
  // Program thread (under `converter_lock`; the callback only tries it):
  std::mutex converter_lock;
  std::unique_ptr<Converter> converter;  // of the format opened last
  int64_t stream_start = 0;              // frames appended before the stream began
  // Shared with the callback, under the device lock:
  std::vector<int16_t> queue;            // converted frames not yet handed over
  size_t read = 0;                       // samples of `queue` already handed over
  int64_t appended = 0;                  // frames ever appended
  int64_t handed = 0;                    // frames ever handed to the device
  std::deque<Mark> marks;                // buffers not yet handed over whole
  std::vector<int64_t> played;           // handed over whole: done at the next callback

  size_t FramesQueued(int channels) const { return (queue.size() - read) / static_cast<size_t>(channels); }
};

class DeviceBackend final : public Backend {
 public:
  DeviceBackend() = default;
  ~DeviceBackend() override {
    if (device_) SDL_CloseAudioDevice(device_);
  }
  DeviceBackend(const DeviceBackend&) = delete;
  DeviceBackend& operator=(const DeviceBackend&) = delete;

  // Opens the default device and starts it; false when there is none.
  bool Start() {
    if (!subsystem_.Up()) return false;
    const char* driver = SDL_GetCurrentAudioDriver();
    SDL_AudioSpec wanted{};
    wanted.freq = 44100;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = DeviceFrames(driver ? driver : "");
    wanted.callback = &DeviceBackend::Fill;
    wanted.userdata = this;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &spec_,
                                  SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (device_ == 0) return false;
    if (spec_.channels != 1 && spec_.channels != 2) {
      // Any other layout: SDL converts our stereo to it.
      SDL_CloseAudioDevice(device_);
      device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &spec_, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
      if (device_ == 0) return false;
    }
    mix_.resize(static_cast<size_t>(spec_.samples) * spec_.channels);
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  const char* Name() const override { return "device"; }

  bool Open(Channel channel, const Format& format) override {
    Output& output = outputs_[Index(channel)];
    {
      std::lock_guard<std::mutex> hold(output.converter_lock);
      if (output.converter && output.converter->ConvertsFrom(format)) {
        output.converter->Clear();
        return true;
      }
    }
    auto converter = std::make_unique<Converter>(format, spec_.freq, spec_.channels);
    if (!converter->Ok()) return false;
    std::lock_guard<std::mutex> hold(output.converter_lock);
    output.converter = std::move(converter);
    return true;
  }

  // The converter stays for the next sound of the same format.
  void Close(Channel channel) override { Reset(channel); }

  bool Write(Channel channel, const uint8_t* data, size_t bytes, int64_t id) override {
    Output& output = outputs_[Index(channel)];
    std::lock_guard<std::mutex> hold(output.converter_lock);
    if (!output.converter) return false;
    Converter& converter = *output.converter;
    std::vector<int16_t> converted;
    {
      DeviceLock lock(device_);
      // Nothing of this output left to play: the stream is new.
      if (converter.InputFrames() > 0 && output.marks.empty() && output.FramesQueued(spec_.channels) == 0) {
        converter.End(converted);
        Append(output, converted);
        converted.clear();
      }
      if (converter.InputFrames() == 0) output.stream_start = output.appended;
    }
    converter.Put(data, bytes, converted);
    Mark mark;
    mark.id = id;
    mark.end = output.stream_start + converter.OutputFrames(converter.InputFrames());
    DeviceLock lock(device_);
    Append(output, converted);
    output.marks.push_back(mark);
    return true;
  }

  void Reset(Channel channel) override {
    Output& output = outputs_[Index(channel)];
    std::lock_guard<std::mutex> hold(output.converter_lock);
    if (output.converter) output.converter->Clear();
    std::vector<int64_t> dropped;
    {
      DeviceLock lock(device_);
      dropped.swap(output.played);
      for (const Mark& mark : output.marks) dropped.push_back(mark.id);
      output.marks.clear();
      // The sound is not cut off on a step: the next few milliseconds stay,
      // faded out, and the rest is dropped.
      const size_t channels = static_cast<size_t>(spec_.channels);
      const size_t kept = std::min(FadeFrames(spec_.freq), output.FramesQueued(spec_.channels));
      std::vector<int16_t> tail(output.queue.begin() + static_cast<std::ptrdiff_t>(output.read),
                                output.queue.begin() + static_cast<std::ptrdiff_t>(output.read + kept * channels));
      FadeOut(tail, channels);
      output.queue.swap(tail);
      output.read = 0;
      output.appended = output.handed + static_cast<int64_t>(kept);
    }
    for (int64_t id : dropped) PostDone(id);
  }

  int Pending(Channel channel) override {
    Output& output = outputs_[Index(channel)];
    DeviceLock lock(device_);
    return static_cast<int>(output.marks.size() + output.played.size());
  }

  void StartLoop(const uint8_t* pcm, size_t bytes, const Format& format) override {
    std::vector<int16_t> samples = ConvertAll(pcm, bytes, format, spec_.freq, spec_.channels);
    DeviceLock lock(device_);
    loop_.swap(samples);
    loop_position_ = 0;
  }

  void StopLoop() override {
    std::vector<int16_t> stopped;
    DeviceLock lock(device_);
    loop_.swap(stopped);
  }

 private:
  // Adds converted frames to an output's queue; the device lock is held.
  void Append(Output& output, const std::vector<int16_t>& frames) {
    if (frames.empty()) return;
    if (output.read > 0 && output.read >= output.queue.size() / 2) {
      output.queue.erase(output.queue.begin(), output.queue.begin() + static_cast<std::ptrdiff_t>(output.read));
      output.read = 0;
    }
    output.queue.insert(output.queue.end(), frames.begin(), frames.end());
    output.appended += static_cast<int64_t>(frames.size() / static_cast<size_t>(spec_.channels));
  }

  // SDL's audio thread asks for `length` bytes; the device lock is held.
  static void Fill(void* userdata, Uint8* stream, int length) {
    static_cast<DeviceBackend*>(userdata)->FillLocked(stream, static_cast<size_t>(length));
  }

  void FillLocked(Uint8* stream, size_t length) {
    const size_t channels = static_cast<size_t>(spec_.channels);
    const size_t frames = length / (channels * sizeof(Sint16));
    mix_.assign(frames * channels, 0);
    for (Output& output : outputs_) MixOutput(output, frames);
    if (!loop_.empty()) {
      for (size_t i = 0; i < frames * channels; ++i) {
        mix_[i] += loop_[loop_position_];
        loop_position_ = (loop_position_ + 1) % loop_.size();
      }
    }
    std::memset(stream, 0, length);
    for (size_t i = 0; i < frames * channels; ++i) {
      Sint16 sample = static_cast<Sint16>(std::clamp(mix_[i], -32768, 32767));
      std::memcpy(stream + i * sizeof sample, &sample, sizeof sample);
    }
  }

  // Adds up to `frames` frames of `output` to the mix and posts what was
  // played; the device lock is held.
  void MixOutput(Output& output, size_t frames) {
    for (int64_t id : output.played) PostDone(id);
    output.played.clear();
    const size_t channels = static_cast<size_t>(spec_.channels);
    // A buffer is unfinished but its end is still in the converter: the
    // stream is ended to get it.
    if (output.FramesQueued(spec_.channels) < frames && !output.marks.empty() &&
        output.marks.back().end > output.appended) {
      std::unique_lock<std::mutex> hold(output.converter_lock, std::try_to_lock);
      if (hold.owns_lock() && output.converter) {
        std::vector<int16_t> rest;
        output.converter->End(rest);
        Append(output, rest);
      }
    }
    size_t count = std::min(frames, output.FramesQueued(spec_.channels));
    const int16_t* from = output.queue.data() + output.read;
    for (size_t i = 0; i < count * channels; ++i) mix_[i] += from[i];
    output.read += count * channels;
    output.handed += static_cast<int64_t>(count);
    while (!output.marks.empty() && output.marks.front().end <= output.handed) {
      output.played.push_back(output.marks.front().id);
      output.marks.pop_front();
    }
    if (output.read == output.queue.size()) {
      output.queue.clear();
      output.read = 0;
    }
  }

  AudioSubsystem subsystem_;      // first in, last out
  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec spec_{};          // what the device was opened with
  Output outputs_[kChannels];
  // Shared with the callback, under the device lock:
  std::vector<int16_t> loop_;     // the loop in the device format
  size_t loop_position_ = 0;
  std::vector<int> mix_;          // the callback's sum of the outputs
};

std::unique_ptr<Backend> CreateDevice(const std::string&) {
  // The sound libraries under SDL print their own complaints on standard
  // error while they look for a device: they are kept quiet here, and the
  // audio core says once, in one line, what it means for the user.
  std::fflush(stderr);
  int saved = dup(STDERR_FILENO);
  int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (saved >= 0 && quiet >= 0) dup2(quiet, STDERR_FILENO);
  auto backend = std::make_unique<DeviceBackend>();
  if (!backend->Start()) {
    g_device_failure = SDL_GetError();
    if (g_device_failure.empty()) g_device_failure = "nenhum dispositivo";
    backend.reset();
  }
  std::fflush(stderr);
  if (saved >= 0) {
    dup2(saved, STDERR_FILENO);
    close(saved);
  }
  if (quiet >= 0) close(quiet);
  return backend;
}

}  // namespace

const std::string& DeviceFailure() { return g_device_failure; }

const BackendDescriptor kDeviceBackend = {"device", "the sound card, through SDL2", CreateDevice};

}  // namespace platform::audio
