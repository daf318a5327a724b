// The audio core: picks the back end named by TESSEL_AUDIO, checks formats
// and arguments, and hands every call to the back end.
#include "platform/audio.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform/audio_backend.h"
#include "platform/clock.h"
#include "platform/lifecycle.h"

namespace platform::audio {
namespace {

// In the order the default choice tries them.
const BackendDescriptor* const kBackends[] = {&kDeviceBackend, &kWavBackend, &kNullBackend};

// Largest sample rate accepted: far above any sound of the system, low enough
// that durations in microseconds never overflow.
constexpr int kMaximumRate = 384000;

std::unique_ptr<Backend> g_backend;
bool g_open[kChannels] = {};  // each output is open
Format g_format[kChannels];   // its format, while open
bool g_loop_playing = false;  // StartLoop was called and StopLoop not yet
bool g_said_device_fallback = false;

// True when sound must not reach a device by default: a headless console, or
// the virtual clock, under which real-time sound would not keep pace.
bool Headless() {
  const char* console = std::getenv("TESSEL_CONSOLE");
  if (console && std::string_view(console) == "headless") return true;
  return ClockMode() == TimeMode::Virtual;
}

// The null output, which always works.
std::unique_ptr<Backend> NullBackend() { return kNullBackend.create(""); }

std::string g_no_device_note;

// No device could be opened: one line on standard error, once, and the note
// for the window title.
void SayNoDevice() {
  if (g_said_device_fallback) return;
  g_said_device_fallback = true;
  g_no_device_note = "sem som: " + DeviceFailure();
  std::fprintf(stderr, "tessel: nenhum dispositivo de som p\xC3\xB4" "de ser aberto (%s): a fala n\xC3\xA3o ser\xC3\xA1 ouvida\n",
               DeviceFailure().c_str());
}

// The default: the device when one opens and the console is not headless.
std::unique_ptr<Backend> DefaultBackend() {
  if (!Headless()) {
    if (auto backend = kDeviceBackend.create("")) return backend;
    SayNoDevice();
  }
  return NullBackend();
}

// Makes the back end TESSEL_AUDIO asks for ("name" or "name:argument"),
// falling back to the null output when it cannot work.
std::unique_ptr<Backend> ChooseBackend() {
  const char* setting = std::getenv("TESSEL_AUDIO");
  if (!setting || !*setting) return DefaultBackend();
  std::string wanted = setting;
  std::string argument;
  size_t colon = wanted.find(':');
  if (colon != std::string::npos) {
    argument = wanted.substr(colon + 1);
    wanted.resize(colon);
  }
  for (const BackendDescriptor* descriptor : kBackends) {
    if (wanted != descriptor->name) continue;
    if (auto backend = descriptor->create(argument)) return backend;
    if (descriptor == &kDeviceBackend) {
      SayNoDevice();
    } else {
      std::fprintf(stderr, "tessel: audio back end '%s' cannot work (%s); sound goes to the null output\n",
                   setting, argument.empty() ? "no file named" : "the file cannot be created");
    }
    return NullBackend();
  }
  std::fprintf(stderr, "tessel: unknown TESSEL_AUDIO '%s'\n", setting);
  return DefaultBackend();
}

// True for the formats the outputs take: 8 or 16 bits, 1 or 2 channels.
bool ValidFormat(const Format& format) {
  return format.rate > 0 && format.rate <= kMaximumRate && (format.bits == 8 || format.bits == 16) &&
         (format.channels == 1 || format.channels == 2);
}

// Registers, once per process, the finishing of the output and the capture
// file for both ways the program can end: platform::Exit, and std::exit or a
// return from main (which run the std::atexit handlers before the other
// modules' state is destroyed, since Init runs after it was built).
void RegisterExitHandlers() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  platform::AtExit([] { Shutdown(); });
  std::atexit([] { Shutdown(); });
}

}  // namespace

std::string Init() {
  if (!g_backend) {
    RegisterExitHandlers();
    g_backend = ChooseBackend();
  }
  return g_backend->Name();
}

bool DeviceAsked() {
  const char* setting = std::getenv("TESSEL_AUDIO");
  return setting && std::string_view(setting) == "device";
}

void Shutdown() {
  if (!g_backend) return;
  StopLoop();
  Close(Channel::Media);
  Close(Channel::Main);
  g_backend.reset();
}

const char* BackendName() { return g_backend ? g_backend->Name() : ""; }

const std::string& NoDeviceNote() { return g_no_device_note; }

bool Open(const Format& format, Channel channel) {
  Init();
  Close(channel);
  if (!ValidFormat(format)) return false;
  const int i = Index(channel);
  g_open[i] = g_backend->Open(channel, format);
  if (g_open[i]) g_format[i] = format;
  return g_open[i];
}

void Close(Channel channel) {
  const int i = Index(channel);
  if (!g_open[i]) return;
  g_backend->Close(channel);
  g_open[i] = false;
}

bool IsOpen(Channel channel) { return g_open[Index(channel)]; }

bool Write(const uint8_t* data, size_t bytes, int64_t id, Channel channel) {
  const int i = Index(channel);
  if (!g_open[i] || (!data && bytes > 0)) return false;
  // A trailing part of a frame cannot be played; it is left out.
  return g_backend->Write(channel, data, bytes - bytes % FrameBytes(g_format[i]), id);
}

void Reset(Channel channel) {
  if (g_open[Index(channel)]) g_backend->Reset(channel);
}

int Pending(Channel channel) { return g_open[Index(channel)] ? g_backend->Pending(channel) : 0; }

void StartLoop(const uint8_t* pcm, size_t bytes, const Format& format) {
  Init();
  StopLoop();
  if (!pcm || !ValidFormat(format) || bytes < FrameBytes(format)) return;
  g_backend->StartLoop(pcm, bytes - bytes % FrameBytes(format), format);
  g_loop_playing = true;
}

void StopLoop() {
  if (!g_loop_playing) return;
  g_backend->StopLoop();
  g_loop_playing = false;
}

int64_t DurationMs(size_t bytes, const Format& format) {
  if (!ValidFormat(format)) return 0;
  int64_t frames = static_cast<int64_t>(bytes / FrameBytes(format));
  return (frames * 1000 + format.rate - 1) / format.rate;
}

}  // namespace platform::audio
