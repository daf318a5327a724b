// audio: the wave-output device, as the WAV player and the tones use it.
//
// Two outputs, heard together (mixed): the main one (the WAV player's) and
// the media one (sounds played in the background by the media layer). Each
// is opened for one PCM format; its buffers are queued and played in order,
// converted to what the device takes without losing a frame, and when a
// buffer has been played an EventType::WaveDone event carrying the buffer's
// id is posted to the message queue. Back ends, chosen by TESSEL_AUDIO:
//   device      SDL2 audio (real time)
//   null        nothing is heard; buffers finish after their duration in
//               program time (virtual in headless mode)
//   wav:FILE    as null, and everything played is captured into one WAV file
//               (16-bit mono 22050 Hz; other formats converted as the
//               device converts them)
// Default: device when one can be opened and the console is not headless,
// else null.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::audio {

enum class Channel { Main, Media };

struct Format {
  int rate = 11025;    // samples per second
  int bits = 8;        // 8 (unsigned) or 16 (signed little-endian)
  int channels = 1;    // 1 or 2
};

// Chooses the back end (once; later calls do nothing). Returns its name.
std::string Init();
// True when TESSEL_AUDIO names the device: its sound passes in real time, so
// program time must too, even without a window.
bool DeviceAsked();
// Closes everything and finishes the capture file.
void Shutdown();
const char* BackendName();
// When sound was meant for the device and none could be opened: a short
// Portuguese note of why, for the window title; empty otherwise.
const std::string& NoDeviceNote();

// Opens the output `channel` for `format` (closing any previous one).
bool Open(const Format& format, Channel channel = Channel::Main);
void Close(Channel channel = Channel::Main);
bool IsOpen(Channel channel = Channel::Main);

// Queues `bytes` bytes of PCM in the open format; the data are copied.
// When they have been played, WaveDone with `id` is posted. Buffers queued
// while the one before is still playing join it without a gap.
bool Write(const uint8_t* data, size_t bytes, int64_t id, Channel channel = Channel::Main);

// Stops playing at once and drops every queued buffer; a WaveDone is still
// posted for each dropped buffer, as the device marks them done. The other
// output plays on.
void Reset(Channel channel = Channel::Main);

// Number of queued buffers not yet reported done.
int Pending(Channel channel = Channel::Main);

// A looping sound from memory, played without waiting beside the output
// above (the Braille tones): starts it, replacing any loop already playing.
void StartLoop(const uint8_t* pcm, size_t bytes, const Format& format);
void StopLoop();

// Duration in milliseconds of `bytes` bytes of `format`.
int64_t DurationMs(size_t bytes, const Format& format);

}  // namespace platform::audio
