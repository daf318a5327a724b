// The device output: one SDL2 audio device, opened once in 16-bit samples at
// the device's own rate, fed by a callback from our queue. Each buffer is
// converted to the device format (SDL_AudioStream) when it is written, so a
// change of format needs no reopening. The callback runs on SDL's audio
// thread: it hands the queued bytes to the device, posts WaveDone when a
// buffer's last byte has gone, and mixes the loop in. The queue and the loop
// are shared with it under the device lock.
#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio_backend.h"
#include "platform/events.h"

namespace platform::audio {
namespace {

// Why the device could not be opened (SDL's words); empty when it was.
std::string g_device_failure;

// Device buffer in sample frames: small, so a reset silences the sound
// within about 12 ms.
constexpr Uint16 kDeviceFrames = 512;

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

struct StreamDeleter {
  void operator()(SDL_AudioStream* stream) const { SDL_FreeAudioStream(stream); }
};
using StreamPtr = std::unique_ptr<SDL_AudioStream, StreamDeleter>;

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
    SDL_AudioSpec wanted{};
    wanted.freq = 44100;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = kDeviceFrames;
    wanted.callback = &DeviceBackend::Fill;
    wanted.userdata = this;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &spec_,
                                  SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (device_ == 0) return false;
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  const char* Name() const override { return "device"; }

  bool Open(const Format& format) override {
    stream_ = NewStream(format);
    return stream_ != nullptr;
  }

  void Close() override {
    Reset();
    stream_.reset();
  }

  bool Write(const uint8_t* data, size_t bytes, int64_t id) override {
    DeviceBuffer buffer;
    buffer.id = id;
    if (!Convert(stream_.get(), data, bytes, buffer.data)) return false;
    DeviceLock lock(device_);
    queue_.push_back(std::move(buffer));
    return true;
  }

  void Reset() override {
    std::deque<DeviceBuffer> dropped;
    {
      DeviceLock lock(device_);
      dropped.swap(queue_);
    }
    for (const DeviceBuffer& buffer : dropped) PostDone(buffer.id);
  }

  int Pending() override {
    DeviceLock lock(device_);
    return static_cast<int>(queue_.size());
  }

  void StartLoop(const uint8_t* pcm, size_t bytes, const Format& format) override {
    StreamPtr stream = NewStream(format);
    std::vector<uint8_t> converted;
    if (!stream || !Convert(stream.get(), pcm, bytes, converted)) return;
    std::vector<Sint16> samples(converted.size() / sizeof(Sint16));
    std::memcpy(samples.data(), converted.data(), samples.size() * sizeof(Sint16));
    DeviceLock lock(device_);
    loop_.swap(samples);
    loop_position_ = 0;
  }

  void StopLoop() override {
    std::vector<Sint16> stopped;
    DeviceLock lock(device_);
    loop_.swap(stopped);
  }

 private:
  struct DeviceBuffer {
    int64_t id = 0;
    std::vector<uint8_t> data;   // in the device format
    size_t position = 0;         // bytes already handed to the device
  };

  // A converter from `format` to the device format; null on failure.
  StreamPtr NewStream(const Format& format) const {
    SDL_AudioFormat source = format.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    return StreamPtr(SDL_NewAudioStream(source, static_cast<Uint8>(format.channels), format.rate,
                                        spec_.format, spec_.channels, spec_.freq));
  }

  // Converts the whole of `data` through `stream` into `out`.
  static bool Convert(SDL_AudioStream* stream, const uint8_t* data, size_t bytes, std::vector<uint8_t>& out) {
    if (!stream) return false;
    out.clear();
    if (bytes == 0) return true;
    if (bytes > static_cast<size_t>(SDL_MAX_SINT32)) return false;
    bool ok = SDL_AudioStreamPut(stream, data, static_cast<int>(bytes)) == 0 && SDL_AudioStreamFlush(stream) == 0;
    if (ok) {
      out.resize(static_cast<size_t>(SDL_AudioStreamAvailable(stream)));
      int got = out.empty() ? 0 : SDL_AudioStreamGet(stream, out.data(), static_cast<int>(out.size()));
      ok = got >= 0;
      out.resize(ok ? static_cast<size_t>(got) : 0);
    }
    SDL_AudioStreamClear(stream);
    return ok;
  }

  // SDL's audio thread asks for `length` bytes; the device lock is held.
  static void Fill(void* userdata, Uint8* stream, int length) {
    static_cast<DeviceBackend*>(userdata)->FillLocked(stream, static_cast<size_t>(length));
  }

  void FillLocked(Uint8* stream, size_t length) {
    std::memset(stream, spec_.silence, length);
    size_t filled = 0;
    while (!queue_.empty()) {
      DeviceBuffer& buffer = queue_.front();
      size_t count = std::min(length - filled, buffer.data.size() - buffer.position);
      std::memcpy(stream + filled, buffer.data.data() + buffer.position, count);
      filled += count;
      buffer.position += count;
      if (buffer.position < buffer.data.size()) break;
      PostDone(buffer.id);
      queue_.pop_front();
    }
    if (loop_.empty()) return;
    for (size_t offset = 0; offset + sizeof(Sint16) <= length; offset += sizeof(Sint16)) {
      Sint16 sample;
      std::memcpy(&sample, stream + offset, sizeof sample);
      int mixed = std::clamp(sample + loop_[loop_position_], -32768, 32767);
      sample = static_cast<Sint16>(mixed);
      std::memcpy(stream + offset, &sample, sizeof sample);
      loop_position_ = (loop_position_ + 1) % loop_.size();
    }
  }

  AudioSubsystem subsystem_;      // first in, last out
  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec spec_{};          // what the device was opened with
  StreamPtr stream_;              // converter of the open format (program thread only)
  // Shared with the callback, under the device lock:
  std::deque<DeviceBuffer> queue_;
  std::vector<Sint16> loop_;      // the loop in the device format
  size_t loop_position_ = 0;
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
