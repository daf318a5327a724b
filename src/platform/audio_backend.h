// audio back ends: what the audio core asks of an output, and how one is
// made. Private to the audio layer (audio.cpp and the audio_*.cpp files).
//
// The core checks formats and arguments; a back end receives only valid
// ones, always from the program thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio.h"

namespace platform::audio {

class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char* Name() const = 0;

  // Opens output `channel` for `format` (a valid one); any previous output
  // of that channel has been closed by the core.
  virtual bool Open(Channel channel, const Format& format) = 0;
  // Drops what is queued (posting its WaveDone events) and closes the output.
  virtual void Close(Channel channel) = 0;
  // Queues whole frames of the open format; `bytes` may be 0.
  virtual bool Write(Channel channel, const uint8_t* data, size_t bytes, int64_t id) = 0;
  virtual void Reset(Channel channel) = 0;
  virtual int Pending(Channel channel) = 0;

  // The loop beside the main output; StartLoop is only called with no loop
  // playing, and `bytes` holds at least one whole frame.
  virtual void StartLoop(const uint8_t* pcm, size_t bytes, const Format& format) = 0;
  virtual void StopLoop() = 0;
};

struct BackendDescriptor {
  const char* name;
  const char* description;
  // Makes the back end; `argument` is the text after "name:" in TESSEL_AUDIO.
  // Returns null when it cannot work here.
  std::unique_ptr<Backend> (*create)(const std::string& argument);
};

extern const BackendDescriptor kDeviceBackend;  // audio_sdl.cpp
// Why the last try to open the device failed; empty when it did not.
const std::string& DeviceFailure();             // audio_sdl.cpp
extern const BackendDescriptor kNullBackend;    // audio_null.cpp
extern const BackendDescriptor kWavBackend;     // audio_null.cpp

constexpr int kChannels = 2;  // Channel::Main and Channel::Media
inline int Index(Channel channel) { return channel == Channel::Main ? 0 : 1; }

// Bytes of one frame (one sample of every channel) of `format`.
inline size_t FrameBytes(const Format& format) {
  return static_cast<size_t>(format.channels) * static_cast<size_t>(format.bits / 8);
}

}  // namespace platform::audio
