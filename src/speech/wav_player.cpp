// The WAV player. Map of this file: the player's state; the device (open,
// done handler, stop); queueing pieces; the public playing operations; speech
// compression.
#include "speech/wav_player.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include "console/console.h"
#include "console/keyboard.h"
#include "platform/audio.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/media.h"

namespace speech {
namespace {

// Device error code when the output cannot be opened (the wave API's
// generic error).
constexpr int kDeviceError = 1;
// Silence of 8-bit unsigned PCM.
constexpr uint8_t kSilence = 128;
// 8-bit mono pieces shorter than this are padded with silence to it.
constexpr size_t kShortestPiece = 256;

struct Slot {
  uint8_t data[kPieceBytes];  // the piece as queued (padded, compressed)
  bool in_flight = false;     // written to the device, not yet returned
};

struct Player {
  bool interruptible = true;      // a waiting key stops playback
  bool fast_playback = false;     // RAPIDINHO
  bool compression = false;       // CORTAFALA
  int in_flight = 0;              // buffers written and not yet returned
  int next_slot = 0;              // index of the next slot to try (0..3)
  bool device_open = false;
  platform::audio::Format format; // the format the device was opened with
  Slot slots[kOutputBuffers];
  uint8_t read_buffer[kPieceBytes];  // file data is read into it
  QueueObserver observer;
};

// Allocated once, at first use: no allocation while sound plays.
Player& P() {
  static const std::unique_ptr<Player> player = std::make_unique<Player>();
  return *player;
}

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
void PutLe32(uint8_t* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}
void PutLe16(uint8_t* p, uint32_t value) {
  p[0] = static_cast<uint8_t>(value);
  p[1] = static_cast<uint8_t>(value >> 8);
}

// Four bytes equal to a chunk name, without regard to case.
bool SameMark(const uint8_t* bytes, const char* mark) {
  for (int i = 0; i < 4; ++i) {
    unsigned char a = bytes[i], b = static_cast<unsigned char>(mark[i]);
    if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 32);
    if (a != b) return false;
  }
  return true;
}

bool KeyWaiting() { return console::KeyPressed(); }

// --- the device ----------------------------------------------------------------

void ForgetDevice() {
  Player& p = P();
  p.device_open = false;
  p.in_flight = 0;
  for (Slot& slot : p.slots) slot.in_flight = false;
}

void OnWaveDone(int64_t id) {
  Player& p = P();
  if (id >= 1 && id <= kOutputBuffers) {
    Slot& slot = p.slots[id - 1];
    if (slot.in_flight) {
      slot.in_flight = false;
      if (p.in_flight > 0) --p.in_flight;
    }
    return;
  }
  platform::media::HandleBufferDone(id);
}

// Opens the output for `format`; 0 or the device error code.
int OpenDevice(const platform::audio::Format& format) {
  Player& p = P();
  console::SetWaveDoneHandler(OnWaveDone);
  if (!platform::audio::Open(format)) return kDeviceError;
  p.device_open = true;
  p.format = format;
  return 0;
}

bool SameFormat(const platform::audio::Format& a, const platform::audio::Format& b) {
  return a.rate == b.rate && a.bits == b.bits && a.channels == b.channels;
}

// --- queueing --------------------------------------------------------------------

// A free slot, searched from the next one in turn; -1 when all are in flight.
int FreeSlot() {
  Player& p = P();
  for (int i = 0; i < kOutputBuffers; ++i) {
    int index = (p.next_slot + i) % kOutputBuffers;
    if (!p.slots[index].in_flight) return index;
  }
  return -1;
}

// Queues one piece of at most kPieceBytes bytes of `source_bits` PCM;
// compression and padding happen on the slot's copy.
void QueuePiece(const uint8_t* data, size_t bytes, int source_bits) {
  Player& p = P();
  int index = FreeSlot();
  for (int check = 0; index < 0 && check < 40; ++check) {
    console::WaitMessage(50);
    index = FreeSlot();
  }
  if (index < 0) return;  // no buffer came back: the piece is dropped
  Slot& slot = p.slots[index];
  p.next_slot = (index + 1) % kOutputBuffers;
  std::memcpy(slot.data, data, bytes);
  size_t length = bytes;
  if (p.compression && p.format.channels == 1) {
    length = CompressSpeech(slot.data, bytes, source_bits, p.format.rate);
  }
  if (p.format.bits == 8 && p.format.channels == 1) {
    if (length < kShortestPiece) {
      std::memset(slot.data + length, kSilence, kShortestPiece - length);
      length = kShortestPiece;
    }
    if (length != kPieceBytes) slot.data[length - 1] = kSilence;
  }
  slot.in_flight = true;
  ++p.in_flight;
  if (p.observer) p.observer(slot.data, length, p.format.rate, p.format.bits, p.format.channels);
  if (!platform::audio::Write(slot.data, length, index + 1)) {
    slot.in_flight = false;
    --p.in_flight;
  }
}

// The largest piece that holds whole frames of `format` of the source data.
size_t PieceLimit(int channels, int bits) {
  size_t frame = static_cast<size_t>(std::max(1, channels * (bits / 8)));
  if (frame > kPieceBytes) return kPieceBytes;  // a nonsense format: never a piece of 0 bytes
  return kPieceBytes - kPieceBytes % frame;
}

// Parses the format record and finds the "data" chunk of an image.
bool ParseImage(const uint8_t* image, size_t size, int& rate, int& channels, int& bits, const uint8_t*& data,
                size_t& data_size) {
  if (!image || size < 20 || !SameMark(image, "RIFF") || !SameMark(image + 12, "fmt ")) return false;
  uint32_t format_size = Le32(image + 16);
  if (format_size < 16 || format_size > size - 20) return false;
  channels = Le16(image + 22);
  rate = static_cast<int>(Le32(image + 24));
  bits = Le16(image + 34);
  size_t at = 20 + format_size;
  while (at + 8 <= size) {
    uint32_t chunk = Le32(image + at + 4);
    if (SameMark(image + at, "data")) {
      data = image + at + 8;
      data_size = std::min<size_t>(chunk, size - at - 8);
      return true;
    }
    if (chunk > size - at - 8) return false;
    at += 8 + chunk;
  }
  return false;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

// --- playing ---------------------------------------------------------------------

std::vector<size_t> FilePieces(size_t data_size, size_t piece) {
  std::vector<size_t> pieces;
  const size_t shortened = piece - kShortestPiece;
  while (data_size > 0) {
    size_t next = data_size;
    if (data_size > piece) next = data_size < piece + kShortestPiece ? shortened : piece;
    pieces.push_back(next);
    data_size -= next;
  }
  return pieces;
}

int PlayWavFile(const std::string& path) {
  Player& p = P();
  if (KeyWaiting()) return 0;
  std::unique_ptr<std::FILE, FileCloser> file(platform::files::Open(path, "rb"));
  if (!file) return -1;
  uint8_t header[12];
  if (std::fread(header, 1, 12, file.get()) != 12 || !SameMark(header, "RIFF")) return -1;
  uint8_t chunk[8];
  if (std::fread(chunk, 1, 8, file.get()) != 8 || !SameMark(chunk, "fmt ")) return -1;
  uint32_t format_size = Le32(chunk + 4);
  uint8_t format[16];
  if (format_size < 16 || std::fread(format, 1, 16, file.get()) != 16) return -1;
  if (format_size > 16 && std::fseek(file.get(), static_cast<long>(format_size - 16 + (format_size & 1)), SEEK_CUR) != 0)
    return -1;
  const int channels = Le16(format + 2);
  const int rate = static_cast<int>(Le32(format + 4));
  const int bits = Le16(format + 14);

  int result = -1;
  while (std::fread(chunk, 1, 8, file.get()) == 8) {
    uint32_t size = Le32(chunk + 4);
    if (!SameMark(chunk, "data")) {
      if (std::fseek(file.get(), static_cast<long>(size + (size & 1)), SEEK_CUR) != 0) break;
      continue;
    }
    platform::LogEvent("play", path);
    result = 0;
    for (size_t piece : FilePieces(size, PieceLimit(channels, bits))) {
      size_t got = std::fread(p.read_buffer, 1, piece, file.get());
      if (got == 0) break;
      result = PlayPcm(p.read_buffer, got, rate, channels, bits);
      if (result != 0 || KeyWaiting()) break;
      if (got < piece) break;
    }
    break;
  }
  file.reset();
  while (WavBusy()) console::WaitMessage();
  return result;
}

void PlayWavImage(const uint8_t* image, size_t size) {
  int rate = 0, channels = 0, bits = 0;
  const uint8_t* data = nullptr;
  size_t data_size = 0;
  if (!ParseImage(image, size, rate, channels, bits, data, data_size)) return;
  PlayPcm(data, data_size, rate, channels, bits);
}

int PlayPcm(const uint8_t* data, size_t length, int rate, int channels, int bits) {
  Player& p = P();
  if (!data || length == 0) return 0;
  if ((bits != 8 && bits != 16) || (channels != 1 && channels != 2) || rate <= 0) return kDeviceError;
  if (p.fast_playback) rate = rate * 3 / 2;
  platform::audio::Format format;
  format.rate = rate;
  format.channels = channels;
  format.bits = (p.compression && channels == 1 && bits == 16) ? 8 : bits;

  if (p.device_open && !SameFormat(format, p.format)) {
    while (WavBusy()) console::WaitMessage();
  }
  if (!p.device_open) {
    int error = OpenDevice(format);
    if (error != 0) return error;
  }
  const size_t limit = PieceLimit(channels, bits);
  size_t done = 0;
  while (done < length) {
    while (p.in_flight >= kOutputBuffers) {
      if (p.interruptible && KeyWaiting()) {
        WavStop();
        return 0;
      }
      console::WaitMessage(10);
    }
    size_t piece = std::min(limit, length - done);
    QueuePiece(data + done, piece, bits);
    done += piece;
  }
  return 0;
}

bool WavBusy() {
  Player& p = P();
  console::PumpMessages();
  if ((p.interruptible && KeyWaiting()) || p.in_flight == 0) WavStop();
  return p.in_flight > 0;
}

void WavStop() {
  Player& p = P();
  if (!p.device_open) return;
  if (p.in_flight > 0) platform::audio::Reset();
  console::PumpMessages();
  platform::audio::Close();
  console::PumpMessages();
  ForgetDevice();
}

void BuildWavHeader(uint8_t* image, uint32_t data_size, int rate, int channels, int bits) {
  static const uint8_t kTemplate[kWavHeaderBytes] = {
      'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
      0x11, 0x2B, 0, 0, 0x11, 0x2B, 0, 0, 1, 0, 8, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};
  std::memcpy(image, kTemplate, kWavHeaderBytes);
  PutLe32(image + 4, data_size + 36);
  PutLe16(image + 22, static_cast<uint32_t>(channels));
  PutLe32(image + 24, static_cast<uint32_t>(rate));
  PutLe32(image + 28, static_cast<uint32_t>(rate * channels * (bits / 8)));
  PutLe16(image + 34, static_cast<uint32_t>(bits));
  PutLe32(image + 40, data_size);
}

void SetFastPlayback(bool on) { P().fast_playback = on; }
bool FastPlayback() { return P().fast_playback; }
void SetCompression(bool on) { P().compression = on; }
bool Compression() { return P().compression; }
int BuffersInFlight() { return P().in_flight; }

void SetQueueObserver(QueueObserver observer) { P().observer = std::move(observer); }

void WavPlayerStart() { console::SetWaveDoneHandler(OnWaveDone); }

void WavPlayerEnd() { WavStop(); }

// --- speech compression ------------------------------------------------------

namespace {

// The first position of the largest sample in [from, to], cut to the data.
size_t FirstPeak(const uint8_t* samples, size_t count, size_t from, size_t to) {
  if (to >= count) to = count - 1;
  size_t best = from;
  for (size_t i = from; i <= to; ++i)
    if (samples[i] > samples[best]) best = i;
  return best;
}

}  // namespace

size_t CompressSpeech(uint8_t* data, size_t bytes, int bits, int rate) {
  size_t count = bytes;
  if (bits == 16) {
    // The high byte of each little-endian sample, its sign bit inverted.
    count = bytes / 2;
    for (size_t i = 0; i < count; ++i) data[i] = static_cast<uint8_t>(data[2 * i + 1] ^ 0x80);
  }
  if (count < 1000) return count;
  // One pitch period is searched for in `window` samples after `step`.
  const size_t start = rate == 11025 ? 200 : 800;
  const size_t step = rate == 11025 ? 80 : 320;
  const size_t window = rate == 11025 ? 50 : 200;
  size_t p = FirstPeak(data, count, start, start + step + window);
  size_t w = p;     // samples before the first peak stay where they are
  size_t next = p;  // the first sample not yet placed
  while (count > 2 * (step + window) && count - 2 * (step + window) > p) {
    size_t q1 = FirstPeak(data, count, p + step, p + step + window);
    size_t q2 = FirstPeak(data, count, q1 + step, q1 + step + window);
    // The period p..q1 is dropped, q1..q2 kept. The peak q2 begins the next
    // period, so it is not copied with this one: two peaks never meet.
    std::memmove(data + w, data + q1, q2 - q1);
    w += q2 - q1;
    p = q2;
    next = q2;
  }
  // The tail is copied up to a quiet sample, so the piece ends near silence.
  while (next < count && std::abs(static_cast<int>(data[next]) - kSilence) > 20) data[w++] = data[next++];
  return w;
}

}  // namespace speech
