// The media control layer. Map: decoders (libsndfile loaded at run time, and
// a plain WAV reader of ours); devices and the output; commands.
#include "platform/media.h"

#include <dlfcn.h>
#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio.h"
#include "platform/files.h"
#include "platform/log.h"

namespace platform::media {
namespace {

// --- decoders ----------------------------------------------------------------------

// A sound file read as 16-bit frames of one or two channels.
class Decoder {
 public:
  virtual ~Decoder() = default;
  virtual int Rate() const = 0;
  virtual int Channels() const = 0;  // 1 or 2
  virtual int64_t Frames() const = 0;
  virtual bool Seek(int64_t frame) = 0;
  // Reads up to `frames` frames into `out`; the number read.
  virtual size_t Read(int16_t* out, size_t frames) = 0;
};

// libsndfile, loaded once on first use; null functions when it is missing.
struct SndfileLibrary {
  SNDFILE* (*open)(const char*, int, SF_INFO*) = nullptr;
  sf_count_t (*readf_short)(SNDFILE*, short*, sf_count_t) = nullptr;
  sf_count_t (*seek)(SNDFILE*, sf_count_t, int) = nullptr;
  int (*close)(SNDFILE*) = nullptr;
  bool Loaded() const { return open && readf_short && seek && close; }
};

const SndfileLibrary& Sndfile() {
  static const SndfileLibrary library = [] {
    SndfileLibrary functions;
    void* handle = dlopen("libsndfile.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!handle) return functions;
    functions.open = reinterpret_cast<SNDFILE* (*)(const char*, int, SF_INFO*)>(dlsym(handle, "sf_open"));
    functions.readf_short =
        reinterpret_cast<sf_count_t (*)(SNDFILE*, short*, sf_count_t)>(dlsym(handle, "sf_readf_short"));
    functions.seek = reinterpret_cast<sf_count_t (*)(SNDFILE*, sf_count_t, int)>(dlsym(handle, "sf_seek"));
    functions.close = reinterpret_cast<int (*)(SNDFILE*)>(dlsym(handle, "sf_close"));
    return functions;  // the library stays loaded for the program's life
  }();
  return library;
}

class SndfileDecoder final : public Decoder {
 public:
  static std::unique_ptr<Decoder> Open(const std::string& native_path) {
    const SndfileLibrary& library = Sndfile();
    if (!library.Loaded()) return nullptr;
    SF_INFO info{};
    SNDFILE* file = library.open(native_path.c_str(), SFM_READ, &info);
    if (!file) return nullptr;
    if (info.channels < 1 || info.samplerate < 1 || info.samplerate > 384000) {
      library.close(file);
      return nullptr;
    }
    return std::unique_ptr<Decoder>(new SndfileDecoder(file, info));
  }
  ~SndfileDecoder() override { Sndfile().close(file_); }

  int Rate() const override { return info_.samplerate; }
  int Channels() const override { return std::min(info_.channels, 2); }
  int64_t Frames() const override { return info_.frames; }
  bool Seek(int64_t frame) override { return Sndfile().seek(file_, frame, SEEK_SET) >= 0; }

  size_t Read(int16_t* out, size_t frames) override {
    const int channels = info_.channels;
    scratch_.resize(frames * static_cast<size_t>(channels));
    sf_count_t got = Sndfile().readf_short(file_, scratch_.data(), static_cast<sf_count_t>(frames));
    if (got <= 0) return 0;
    for (sf_count_t frame = 0; frame < got; ++frame) {
      const short* in = scratch_.data() + frame * channels;
      if (channels <= 2) {
        for (int c = 0; c < channels; ++c) out[frame * channels + c] = in[c];
      } else {
        // More than two channels: the even ones to the left, the odd ones to
        // the right.
        int left = 0, right = 0, count_left = 0, count_right = 0;
        for (int c = 0; c < channels; ++c) {
          if (c % 2 == 0) left += in[c], ++count_left;
          else right += in[c], ++count_right;
        }
        out[frame * 2] = static_cast<int16_t>(left / count_left);
        out[frame * 2 + 1] = static_cast<int16_t>(right / count_right);
      }
    }
    return static_cast<size_t>(got);
  }

 private:
  SndfileDecoder(SNDFILE* file, const SF_INFO& info) : file_(file), info_(info) {}
  SNDFILE* file_;
  SF_INFO info_;
  std::vector<short> scratch_;
};

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Plain PCM WAV files (8 or 16 bits, one or two channels), for when
// libsndfile is not there.
class WavDecoder final : public Decoder {
 public:
  static std::unique_ptr<Decoder> Open(const std::string& name) {
    std::string contents;
    if (!files::ReadAll(name, contents) || contents.size() < 20) return nullptr;
    const auto* bytes = reinterpret_cast<const uint8_t*>(contents.data());
    if (std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) return nullptr;
    size_t at = 12;
    int channels = 0, rate = 0, bits = 0;
    while (at + 8 <= contents.size()) {
      uint32_t size = Le32(bytes + at + 4);
      size_t body = at + 8;
      if (size > contents.size() - body) size = static_cast<uint32_t>(contents.size() - body);
      if (std::memcmp(bytes + at, "fmt ", 4) == 0 && size >= 16 && Le16(bytes + body) == 1) {
        channels = Le16(bytes + body + 2);
        rate = static_cast<int>(Le32(bytes + body + 4));
        bits = Le16(bytes + body + 14);
      } else if (std::memcmp(bytes + at, "data", 4) == 0) {
        if ((channels != 1 && channels != 2) || (bits != 8 && bits != 16) || rate < 1 || rate > 384000)
          return nullptr;
        auto decoder = std::unique_ptr<WavDecoder>(new WavDecoder(rate, channels));
        size_t frame_bytes = static_cast<size_t>(channels * bits / 8);
        size_t frames = size / frame_bytes;
        decoder->samples_.resize(frames * static_cast<size_t>(channels));
        for (size_t i = 0; i < decoder->samples_.size(); ++i) {
          decoder->samples_[i] = bits == 8 ? static_cast<int16_t>((bytes[body + i] - 128) * 256)
                                           : static_cast<int16_t>(Le16(bytes + body + 2 * i));
        }
        return decoder;
      }
      at = body + size + (size & 1);
    }
    return nullptr;
  }

  int Rate() const override { return rate_; }
  int Channels() const override { return channels_; }
  int64_t Frames() const override { return static_cast<int64_t>(samples_.size()) / channels_; }
  bool Seek(int64_t frame) override {
    if (frame < 0 || frame > Frames()) return false;
    position_ = frame;
    return true;
  }
  size_t Read(int16_t* out, size_t frames) override {
    size_t count = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(frames), Frames() - position_));
    std::copy_n(samples_.begin() + position_ * channels_, count * static_cast<size_t>(channels_), out);
    position_ += static_cast<int64_t>(count);
    return count;
  }

 private:
  WavDecoder(int rate, int channels) : rate_(rate), channels_(channels) {}
  int rate_, channels_;
  std::vector<int16_t> samples_;
  int64_t position_ = 0;
};

std::unique_ptr<Decoder> OpenDecoder(const std::string& name) {
  if (auto decoder = SndfileDecoder::Open(files::NativePath(name))) return decoder;
  return WavDecoder::Open(name);
}

// --- devices and the output -----------------------------------------------------------

enum class Mode { Stopped, Playing, Paused };

struct Device {
  std::string alias;        // upper-cased for comparison
  std::string file;         // the name as given
  std::unique_ptr<Decoder> decoder;
  Mode mode = Mode::Stopped;
  int64_t position = 0;     // next frame to queue
  int64_t end = 0;          // frame where playing stops
  int64_t heard_from = 0;   // frame at which the current playing started
};

// Media sound goes out through the audio layer's media output, beside (mixed
// with) the WAV player's.
constexpr audio::Channel kChannel = audio::Channel::Media;

// Sound is queued at most this far ahead of what has been heard.
constexpr int kBuffersAhead = 6;
constexpr int kBufferMs = 250;

struct Media {
  std::vector<std::unique_ptr<Device>> devices;
  Device* playing = nullptr;   // the device that owns the output
  int64_t next_id = kFirstBufferId;
  std::deque<int64_t> queued;  // frames of each buffer queued for `playing`, oldest first
};

Media& M() {
  static Media media;
  return media;
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

Device* FindDevice(const std::string& name) {
  std::string wanted = Upper(name);
  for (auto& device : M().devices)
    if (device->alias == wanted) return device.get();
  return nullptr;
}

int64_t Milliseconds(const Device& device, int64_t frames) {
  return frames * 1000 / std::max(1, device.decoder->Rate());
}

// Frames queued for the playing device and not yet heard: those of the
// buffers the output still holds (all of them are ours while we own it).
int64_t FramesAhead() {
  Media& m = M();
  if (!m.playing) return 0;
  size_t pending = static_cast<size_t>(audio::Pending(kChannel));
  while (m.queued.size() > pending) m.queued.pop_front();
  int64_t frames = 0;
  for (int64_t count : m.queued) frames += count;
  return frames;
}

// Queues sound of the playing device until enough is ahead.
void TopUp() {
  Media& m = M();
  Device* device = m.playing;
  if (!device || device->mode != Mode::Playing) return;
  const int rate = device->decoder->Rate();
  const int channels = device->decoder->Channels();
  const size_t frames_per_buffer = static_cast<size_t>(std::max(1, rate * kBufferMs / 1000));
  std::vector<int16_t> samples(frames_per_buffer * static_cast<size_t>(channels));
  while (audio::Pending(kChannel) < kBuffersAhead && device->position < device->end) {
    size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(frames_per_buffer),
                                                        device->end - device->position));
    size_t got = device->decoder->Read(samples.data(), want);
    if (got == 0) {
      device->end = device->position;
      break;
    }
    device->position += static_cast<int64_t>(got);
    m.queued.push_back(static_cast<int64_t>(got));
    audio::Write(reinterpret_cast<const uint8_t*>(samples.data()), got * static_cast<size_t>(channels) * 2,
                 m.next_id++, kChannel);
  }
  if (device->position >= device->end && audio::Pending(kChannel) == 0) {
    device->mode = Mode::Stopped;
    m.playing = nullptr;
    audio::Close(kChannel);
  }
}

// Takes the output for `device`, in its format.
bool TakeOutput(Device& device) {
  Media& m = M();
  audio::Format format;
  format.rate = device.decoder->Rate();
  format.bits = 16;
  format.channels = device.decoder->Channels();
  m.queued.clear();
  if (!audio::Open(format, kChannel)) return false;
  m.playing = &device;
  return true;
}

void StopDevice(Device& device) {
  Media& m = M();
  if (m.playing == &device) {
    audio::Reset(kChannel);
    audio::Close(kChannel);
    m.playing = nullptr;
  }
  device.mode = Mode::Stopped;
}

// --- commands ------------------------------------------------------------------------

// The words of a command string; a double-quoted part is one word.
std::vector<std::string> Words(const std::string& command) {
  std::vector<std::string> words;
  size_t at = 0;
  while (at < command.size()) {
    while (at < command.size() && (command[at] == ' ' || command[at] == '\t')) ++at;
    if (at >= command.size()) break;
    if (command[at] == '"') {
      size_t end = command.find('"', at + 1);
      if (end == std::string::npos) end = command.size();
      words.push_back(command.substr(at + 1, end - at - 1));
      at = end + 1;
    } else {
      size_t end = at;
      while (end < command.size() && command[end] != ' ' && command[end] != '\t') ++end;
      words.push_back(command.substr(at, end - at));
      at = end;
    }
  }
  return words;
}

bool ParseNumber(const std::string& text, int64_t& value) {
  if (text.empty() || text.size() > 15) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

int OpenDevice(const std::string& file, const std::string& alias, Device** opened) {
  Media& m = M();
  if (FindDevice(alias)) return kDuplicateAlias;
  if (!files::Exists(file) || files::IsDirectory(file)) return kFileNotFound;
  auto decoder = OpenDecoder(file);
  if (!decoder) return kCannotLoadDriver;
  auto device = std::make_unique<Device>();
  device->alias = Upper(alias);
  device->file = file;
  device->end = decoder->Frames();
  device->decoder = std::move(decoder);
  if (opened) *opened = device.get();
  m.devices.push_back(std::move(device));
  return 0;
}

int CommandOpen(const std::vector<std::string>& words) {
  if (words.size() < 2) return kMissingParameter;
  std::string alias = words[1];
  for (size_t i = 2; i < words.size(); ++i) {
    std::string word = Upper(words[i]);
    if ((word == "ALIAS" || word == "TYPE") && i + 1 < words.size()) {
      if (word == "ALIAS") alias = words[i + 1];
      ++i;
    } else if (word != "SHAREABLE" && word != "WAIT" && word != "NOTIFY") {
      return kUnrecognizedKeyword;
    }
  }
  return OpenDevice(words[1], alias, nullptr);
}

int CommandPlay(const std::vector<std::string>& words) {
  if (words.size() < 2) return kMissingParameter;
  Device* device = FindDevice(words[1]);
  if (!device) {
    int error = OpenDevice(words[1], words[1], &device);
    if (error != 0) return error;
  }
  int64_t from = -1, to = device->decoder->Frames();
  for (size_t i = 2; i < words.size(); ++i) {
    std::string word = Upper(words[i]);
    int64_t ms = 0;
    if ((word == "FROM" || word == "TO") && i + 1 < words.size()) {
      if (!ParseNumber(words[++i], ms)) return kOutOfRange;
      int64_t frame = ms * device->decoder->Rate() / 1000;
      if (frame > device->decoder->Frames()) return kOutOfRange;
      if (word == "FROM") from = frame;
      else to = frame;
    } else if (word != "WAIT" && word != "NOTIFY") {
      // "wait" is taken but does not block: the caller waits, so a key can
      // end the wait.
      return kUnrecognizedKeyword;
    }
  }
  if (device->mode == Mode::Paused && from < 0) {
    device->mode = Mode::Playing;
    device->heard_from = device->position;
  } else {
    if (from < 0) from = device->position >= device->end ? 0 : device->position;
    if (M().playing == device) StopDevice(*device);
    if (!device->decoder->Seek(from)) return kOutOfRange;
    device->position = from;
    device->heard_from = from;
    device->end = std::max(from, to);
    device->mode = Mode::Playing;
  }
  if (M().playing != device) {
    if (M().playing) StopDevice(*M().playing);
    if (!TakeOutput(*device)) {
      device->mode = Mode::Stopped;
      return kHardware;
    }
  }
  LogEvent("play", device->file);
  TopUp();
  return 0;
}

std::string Status(Device& device, const std::string& item) {
  TopUp();
  if (item == "MODE") {
    switch (device.mode) {
      case Mode::Playing: return "playing";
      case Mode::Paused: return "paused";
      case Mode::Stopped: return "stopped";
    }
  }
  if (item == "LENGTH") return std::to_string(Milliseconds(device, device.decoder->Frames()));
  if (item == "POSITION") {
    int64_t frame = device.position;
    if (M().playing == &device) {
      // What is still queued has not been heard yet.
      frame = std::max(device.heard_from, frame - FramesAhead());
    }
    return std::to_string(Milliseconds(device, frame));
  }
  if (item == "READY") return "true";
  return "";
}

}  // namespace

int SendCommand(const std::string& command, std::string& answer) {
  answer.clear();
  std::vector<std::string> words = Words(command);
  if (words.empty()) return kUnrecognizedCommand;
  const std::string verb = Upper(words[0]);
  static const char* const kVerbs[] = {"OPEN", "PLAY", "CLOSE", "STATUS", "STOP", "PAUSE", "RESUME", "SET", "SEEK"};
  bool known = false;
  for (const char* word : kVerbs) known = known || verb == word;
  if (!known) return kUnrecognizedCommand;
  TopUp();
  if (verb == "OPEN") return CommandOpen(words);
  if (verb == "PLAY") return CommandPlay(words);
  if (verb == "CLOSE" && words.size() >= 2 && Upper(words[1]) == "ALL") {
    CloseAll();
    return 0;
  }
  if (words.size() < 2) return kMissingParameter;
  Device* device = FindDevice(words[1]);
  if (!device) return kInvalidDevice;
  if (verb == "STATUS") {
    if (words.size() < 3) return kMissingParameter;
    answer = Status(*device, Upper(words[2]));
    return answer.empty() ? kUnrecognizedKeyword : 0;
  }
  if (verb == "STOP") {
    StopDevice(*device);
    device->position = 0;
    device->decoder->Seek(0);
    return 0;
  }
  if (verb == "PAUSE") {
    if (device->mode == Mode::Playing) {
      // The sound queued but not heard is played again on resume.
      int64_t resume = std::max(device->heard_from, device->position - FramesAhead());
      StopDevice(*device);
      device->decoder->Seek(resume);
      device->position = resume;
      device->mode = Mode::Paused;
    }
    return 0;
  }
  if (verb == "RESUME") {
    if (device->mode != Mode::Paused) return 0;
    std::vector<std::string> play = {"play", words[1]};
    return CommandPlay(play);
  }
  if (verb == "CLOSE") {
    StopDevice(*device);
    auto& devices = M().devices;
    devices.erase(std::remove_if(devices.begin(), devices.end(), [&](const auto& d) { return d.get() == device; }),
                  devices.end());
    return 0;
  }
  if (verb == "SET" || verb == "SEEK") return 0;  // time formats and seeking keep the defaults
  return kUnrecognizedCommand;
}

bool HandleBufferDone(int64_t buffer_id) {
  if (buffer_id < kFirstBufferId) return false;
  TopUp();
  return true;
}

void CloseAll() {
  Media& m = M();
  if (m.playing) StopDevice(*m.playing);
  m.devices.clear();
}

}  // namespace platform::media
