// What a listener hears, and when, through a real sound server: a PulseAudio
// server of the benchmark's own (a null sink whose monitor is recorded with
// parec, in blocks of 2 ms stamped as they arrive), with the own speaking
// path and the device output (TESSEL_AUDIO=device):
//   - ESCREVE dispatched to its first sound at the monitor;
//   - a key arriving during a long text to the last sound at the monitor
//     (goal: under 30 ms).
// Both through SDL's PulseAudio back end, then through its ALSA back end
// (the ALSA device "default", else the PulseAudio plugin "pulse") when one
// can be opened. The figures include the recorder's own delay (a few ms), so
// they are what a listener would hear at worst.
//
//   bench_audio_device [VOICE_FOLDER [RUNS]]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/console_commands.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "speech/speech.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

void PostKey() {
  platform::Event key;
  key.type = platform::EventType::Char;
  key.character = 'x';
  platform::PostEvent(key);
}

void Report(const std::string& what, std::vector<double> samples, double goal) {
  if (samples.empty()) {
    std::printf("%-58s nothing measured\n", what.c_str());
    return;
  }
  std::sort(samples.begin(), samples.end());
  double median = samples[samples.size() / 2], worst = samples.back();
  std::printf("%-58s median %6.1f ms   worst %6.1f ms  (%zu tries)", what.c_str(), median, worst, samples.size());
  if (goal > 0) std::printf("   goal < %.0f ms: %s", goal, worst < goal ? "met" : "NOT MET");
  std::printf("\n");
}

// The monitor of the sink, read block after block; each block is stamped
// with the time it arrived and whether it held sound.
class Monitor {
 public:
  explicit Monitor(const std::string& command) {
    pipe_ = popen(command.c_str(), "r");
    if (!pipe_) return;
    reader_ = std::thread([this] { Read(); });
  }
  ~Monitor() {
    stop_ = true;
    if (pipe_) {
      // parec ends when the server has gone; pclose then reaps it.
      reader_.join();
      pclose(pipe_);
    }
  }
  // The first loud block arriving after `from`, or a zero time point.
  Clock::time_point FirstSoundAfter(Clock::time_point from) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& block : blocks_)
      if (block.first > from && block.second) return block.first;
    return {};
  }
  // The last loud block arriving in [from, to).
  Clock::time_point LastSoundBefore(Clock::time_point from, Clock::time_point to) {
    std::lock_guard<std::mutex> lock(mutex_);
    Clock::time_point last{};
    for (const auto& block : blocks_)
      if (block.first >= from && block.first < to && block.second) last = block.first;
    return last;
  }
  bool Receiving() {
    std::lock_guard<std::mutex> lock(mutex_);
    return !blocks_.empty();
  }

 private:
  void Read() {
    int16_t block[96 * 2];  // 2 ms of 48000 Hz stereo
    while (!stop_) {
      size_t got = std::fread(block, sizeof block, 1, pipe_);
      if (got != 1) break;
      bool loud = false;
      for (int16_t sample : block) loud = loud || std::abs(sample) > 300;
      std::lock_guard<std::mutex> lock(mutex_);
      blocks_.emplace_back(Clock::now(), loud);
    }
  }
  FILE* pipe_ = nullptr;
  std::thread reader_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::pair<Clock::time_point, bool>> blocks_;
};

const char kLongText[] =
    "Era uma vez uma casa amarela numa rua comprida, e nela morava uma menina que gostava de ler livros "
    "de aventuras, de contar estrelas e de ouvir as histórias que a avó contava antes de dormir.";

// Measures through the audio back end now chosen, recorded by `monitor`.
void Measure(const std::string& name, Monitor& monitor, int runs) {
  std::vector<double> first_sound, key_to_silence;
  for (int run = 0; run < runs; ++run) {
    // ESCREVE to first sound; a key 500 ms later ends the speech.
    auto start = Clock::now();
    std::thread typist([] {
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      PostKey();
    });
    interp::CmdEscreve(std::string("\"") + kLongText + "\"");
    typist.join();
    console::FlushKeys();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    auto first = monitor.FirstSoundAfter(start);
    if (first != Clock::time_point{}) first_sound.push_back(Ms(first - start));

    // Key to silence: a key 700 ms into a long text; the last sound heard
    // before the next try begins.
    std::atomic<int64_t> key_at{0};
    std::thread late_typist([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(700));
      key_at = Clock::now().time_since_epoch().count();
      PostKey();
    });
    auto said = Clock::now();
    speech::Speak(kLongText);
    while (speech::IsSpeaking()) console::WaitMessage(5);
    late_typist.join();
    console::FlushKeys();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Clock::time_point key(Clock::duration(key_at.load()));
    auto last = monitor.LastSoundBefore(said, Clock::now());
    if (last != Clock::time_point{}) key_to_silence.push_back(std::max(0.0, Ms(last - key)));
  }
  Report(name + ": ESCREVE dispatched to first sound heard", first_sound, 0);
  Report(name + ": key arriving to the last sound heard", key_to_silence, 30);
}

}  // namespace

int main(int argc, char** argv) {
  fs::path voice = argc > 1 ? fs::path(argv[1]) : fs::path(TESSEL_BINARY).parent_path().parent_path() / "voice";
  int runs = argc > 2 ? std::atoi(argv[2]) : 10;
  char pattern[] = "/tmp/tessel-audio-bench-XXXXXX";
  fs::path folder = mkdtemp(pattern);
  fs::create_directories(folder / "runtime");
  {
    std::ofstream ini(folder / "MIRANE.INI", std::ios::binary);
    ini << "[TRADUTOR]\r\nDIRLETRAS=" << (voice / "letras").string() << "\r\nDIRDIFONES="
        << (voice / "difones").string() << "\r\n";
  }
  const std::string socket = (folder / "native").string();
  const std::vector<std::string> pulse_environment = {
      "HOME=" + folder.string(), "XDG_RUNTIME_DIR=" + folder.string(),
      "PULSE_RUNTIME_PATH=" + (folder / "runtime").string(), "PULSE_STATE_PATH=" + (folder / "state").string()};
  for (const auto& entry : pulse_environment) putenv(strdup(entry.c_str()));
  setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
  pid_t server = bench::Spawn({"/usr/bin/pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--system=false",
                               "--use-pid-file=no", "--disable-shm=yes", "--realtime=no", "--high-priority=no", "-L",
                               "module-null-sink sink_name=tessel rate=48000 channels=2", "-L",
                               "module-native-protocol-unix socket=" + socket + " auth-anonymous=1"},
                              {});
  for (int attempt = 0; attempt < 50 && !fs::exists(socket); ++attempt)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  if (server < 0 || !fs::exists(socket)) {
    std::fprintf(stderr, "audio_device: pulseaudio cannot start here\n");
    return 1;
  }
  int result = 0;
  {
    Monitor monitor("parec -d tessel.monitor --raw --format=s16le --rate=48000 --channels=2 --latency-msec=2");
    for (int attempt = 0; attempt < 50 && !monitor.Receiving(); ++attempt)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));

    setenv("MIRANE_WINDIR", folder.c_str(), 1);
    setenv("TESSEL_CONSOLE", "headless", 1);
    setenv("TESSEL_AUDIO", "device", 1);
    unsetenv("TESSEL_KEYS");
    platform::ClockInit(platform::TimeMode::Real);
    console::EnsureWindow();
    speech::SpeechInit(3, "");

    struct Route {
      const char* name;
      const char* driver;
      const char* device;  // AUDIODEV, or null
    };
    const Route kRoutes[] = {{"SDL pulseaudio", "pulseaudio", nullptr},
                             {"SDL alsa (default device)", "alsa", nullptr},
                             {"SDL alsa (PulseAudio plugin)", "alsa", "pulse"}};
    bool alsa_measured = false;
    for (const Route& route : kRoutes) {
      if (alsa_measured && std::string(route.driver) == "alsa") continue;
      platform::audio::Shutdown();
      setenv("SDL_AUDIODRIVER", route.driver, 1);
      if (route.device) setenv("AUDIODEV", route.device, 1);
      else unsetenv("AUDIODEV");
      if (platform::audio::Init() != std::string("device")) {
        std::printf("%-58s no device can be opened\n", route.name);
        continue;
      }
      if (std::string(route.driver) == "alsa") alsa_measured = true;
      Measure(route.name, monitor, runs);
    }
    speech::SpeechEnd();
    platform::audio::Shutdown();
    kill(server, SIGTERM);
  }
  waitpid(server, nullptr, 0);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return result;
}
