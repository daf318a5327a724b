// The sound device path, heard: a PulseAudio server of the test's own (a
// null sink whose monitor is recorded) plays what tessel sends with
// TESSEL_AUDIO=device, and the recording is compared with the WAV capture of
// the same script: the same sounds, each as long, nothing cut at the joins of
// the buffers, the beep there. Also the background sound of TOCA & heard all
// through speech in the capture.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// A child process of the test: started with `extra` added to the
// environment, standard output into `output` (or /dev/null); ended (SIGTERM)
// when the object goes.
class Child {
 public:
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& extra,
        const std::string& output = "/dev/null", const std::string& errors = "/dev/null") {
    // Ours, with `extra` in place of the variables it names.
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
      std::string variable = *entry;
      std::string name = variable.substr(0, variable.find('=') + 1);
      bool replaced = false;
      for (const auto& wanted : extra) replaced = replaced || wanted.rfind(name, 0) == 0;
      if (!replaced) environment.push_back(variable);
    }
    environment.insert(environment.end(), extra.begin(), extra.end());
    std::vector<char*> args, envs;
    for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    for (const auto& entry : environment) envs.push_back(const_cast<char*>(entry.c_str()));
    envs.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (posix_spawnp(&pid_, argv[0].c_str(), &actions, nullptr, args.data(), envs.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Child() { Stop(); }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool Started() const { return pid_ > 0; }
  // Waits for the child to end by itself; its exit code, or -1.
  int Wait() {
    if (pid_ <= 0) return -1;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // True while it runs.
  bool Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == 0) return true;
    pid_ = -1;
    return false;
  }
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    Wait();
  }

 private:
  pid_t pid_ = -1;
};

// Runs a command to its end; its exit code.
int RunToEnd(const std::vector<std::string>& argv, const std::vector<std::string>& extra) {
  Child child(argv, extra);
  return child.Wait();
}

// A PulseAudio server of our own: private runtime folder and socket, a null
// sink "tessel" at 48000 Hz stereo.
class PulseServer {
 public:
  PulseServer() {
    socket_ = (folder_.path() / "native").string();
    fs::create_directories(folder_.path() / "runtime");
    environment_ = {"HOME=" + folder_.path().string(), "XDG_RUNTIME_DIR=" + folder_.path().string(),
                    "PULSE_RUNTIME_PATH=" + (folder_.path() / "runtime").string(),
                    "PULSE_STATE_PATH=" + (folder_.path() / "state").string(), "PULSE_SERVER=unix:" + socket_};
    server_ = std::make_unique<Child>(
        std::vector<std::string>{"pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--system=false",
                                 "--use-pid-file=no", "--disable-shm=yes", "--realtime=no", "--high-priority=no",
                                 "--log-target=stderr", "-L", "module-null-sink sink_name=tessel rate=48000 channels=2",
                                 "-L", "module-native-protocol-unix socket=" + socket_ + " auth-anonymous=1"},
        environment_, "/dev/null", (folder_.path() / "server.log").string());
    // Ready when a client gets an answer (at most 5 s).
    for (int attempt = 0; attempt < 50 && server_->Running(); ++attempt) {
      if (fs::exists(socket_) && RunToEnd({"pactl", "info"}, environment_) == 0) {
        ready_ = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  bool Ready() const { return ready_; }
  std::string Log() const { return folder_.Read("server.log"); }
  const std::vector<std::string>& Environment() const { return environment_; }
  const test_support::TempFolder& Folder() const { return folder_; }

 private:
  test_support::TempFolder folder_;
  std::string socket_;
  std::vector<std::string> environment_;
  std::unique_ptr<Child> server_;
  bool ready_ = false;
};

// --- sounds and their measures ------------------------------------------------

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A WAV file of `seconds` of a 440 Hz tone at a quarter of full scale, with
// 5 ms fades at both ends (silence when `silent`).
std::string ToneFile(int rate, int channels, int bits, double seconds, bool silent = false) {
  const int frames = static_cast<int>(rate * seconds);
  const int fade = rate / 200;
  std::string data;
  for (int i = 0; i < frames; ++i) {
    double gain = std::min({1.0, static_cast<double>(i) / fade, static_cast<double>(frames - 1 - i) / fade});
    double value = silent ? 0 : 0.25 * gain * std::sin(2 * M_PI * 440.0 * i / rate);
    for (int c = 0; c < channels; ++c) {
      if (bits == 8) data.push_back(static_cast<char>(128 + static_cast<int>(std::lround(value * 127))));
      else PutLe(data, static_cast<uint16_t>(static_cast<int16_t>(std::lround(value * 32767))), 2);
    }
  }
  std::string file = "RIFF";
  PutLe(file, static_cast<uint32_t>(36 + data.size()), 4);
  file += "WAVEfmt ";
  PutLe(file, 16, 4);
  PutLe(file, 1, 2);
  PutLe(file, static_cast<uint32_t>(channels), 2);
  PutLe(file, static_cast<uint32_t>(rate), 4);
  PutLe(file, static_cast<uint32_t>(rate * channels * bits / 8), 4);
  PutLe(file, static_cast<uint32_t>(channels * bits / 8), 2);
  PutLe(file, static_cast<uint32_t>(bits), 2);
  file += "data";
  PutLe(file, static_cast<uint32_t>(data.size()), 4);
  return file + data;
}

struct Recording {
  std::vector<int> samples;  // mono (channels averaged)
  int rate = 0;
};

Recording ReadCapture(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Recording recording;
  recording.rate = 22050;
  for (size_t at = 44; at + 1 < bytes.size(); at += 2)
    recording.samples.push_back(static_cast<int16_t>(static_cast<uint8_t>(bytes[at]) | (bytes[at + 1] << 8)));
  return recording;
}

// parec's raw 16-bit stereo at 48000 Hz.
Recording ReadMonitor(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Recording recording;
  recording.rate = 48000;
  auto at = [&](size_t i) { return static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (bytes[i + 1] << 8)); };
  for (size_t i = 0; i + 3 < bytes.size(); i += 4) recording.samples.push_back((at(i) + at(i + 2)) / 2);
  return recording;
}

// One sound of the script: the runs of samples above the threshold that lie
// closer than 150 ms to each other.
struct Item {
  double start = 0, end = 0;  // seconds
  double sounding = 0;        // seconds above the threshold (gaps under 1 ms counted)
  size_t first = 0, last = 0; // sample range
};

std::vector<Item> Items(const Recording& recording) {
  const int threshold = 300;
  const size_t merge = static_cast<size_t>(recording.rate / 1000);   // 1 ms
  const size_t apart = static_cast<size_t>(recording.rate * 15 / 100);  // 150 ms
  std::vector<Item> items;
  bool in_run = false;
  size_t run_start = 0, previous = 0;
  auto close_run = [&](size_t end) {
    Item& item = items.back();
    item.sounding += static_cast<double>(end - run_start) / recording.rate;
    item.last = end;
    item.end = static_cast<double>(end) / recording.rate;
  };
  for (size_t i = 0; i < recording.samples.size(); ++i) {
    if (std::abs(recording.samples[i]) <= threshold) continue;
    if (!in_run || i - previous > apart) {
      if (in_run) close_run(previous + 1);
      items.emplace_back();
      items.back().first = i;
      items.back().start = static_cast<double>(i) / recording.rate;
      run_start = i;
      in_run = true;
    } else if (i - previous > merge) {
      close_run(previous + 1);
      run_start = i;
    }
    previous = i;
  }
  if (in_run) close_run(previous + 1);
  return items;
}

// The tone files the device path plays: every rate, channel count and width.
struct ToneCase {
  int rate, channels, bits;
};

std::vector<ToneCase> ToneCases() {
  std::vector<ToneCase> cases;
  for (int rate : {8000, 11025, 22050, 44100, 48000})
    for (int channels : {1, 2})
      for (int bits : {8, 16}) cases.push_back({rate, channels, bits});
  return cases;
}

// A run of 2 ms or more of exact zeros inside one of the tones, which never
// fall silent: the server played nothing because nothing came in time.
bool HasDropout(const Recording& recording, const std::vector<Item>& items) {
  const size_t longest = static_cast<size_t>(recording.rate / 500);
  const size_t tones = ToneCases().size();
  for (size_t index = items.size() > tones ? items.size() - tones : 0; index < items.size(); ++index) {
    const Item& item = items[index];
    size_t run = 0;
    for (size_t i = item.first; i < item.last; ++i) {
      run = recording.samples[i] == 0 ? run + 1 : 0;
      if (run >= longest) return true;
    }
  }
  return false;
}

std::string Describe(const std::vector<Item>& items) {
  std::string text;
  for (const Item& item : items)
    text += std::to_string(item.start) + "+" + std::to_string(item.end - item.start) + " (" +
            std::to_string(item.sounding) + ") ";
  return text;
}

// The largest step between two neighbouring samples in [first, last).
int LargestStep(const Recording& recording, size_t first, size_t last) {
  int largest = 0;
  for (size_t i = first + 1; i < last && i < recording.samples.size(); ++i)
    largest = std::max(largest, std::abs(recording.samples[i] - recording.samples[i - 1]));
  return largest;
}

// Longer than one buffer of the media layer (250 ms): each tone has a join.
constexpr double kToneSeconds = 0.26;

std::string ToneName(const ToneCase& tone) {
  return "tom" + std::to_string(tone.rate) + "_" + std::to_string(tone.channels) + "_" + std::to_string(tone.bits) +
         ".wav";
}

TEST(AudioDevicePath, ThePulseAudioSinkHearsWhatTheCaptureHolds) {
  PulseServer pulse;
  if (!pulse.Ready()) GTEST_SKIP() << "pulseaudio cannot start here: " << pulse.Log();
  const test_support::TempFolder& folder = pulse.Folder();

  // The script: speech, letters, the click, the beep, then a tone file of
  // each format; between the sounds, 180 ms of silence played as
  // a file, so each sound stands apart in both recordings; no closing words.
  folder.Write("pausa.wav", ToneFile(11025, 1, 8, 0.18, true));
  std::string script =
      "ESCREVE \"bom dia a todos\"\r\nTOCA \"pausa.wav\"\r\nSOLETRA \"casa\"\r\nTOCA \"pausa.wav\"\r\n"
      "BIPA 1\r\nTOCA \"pausa.wav\"\r\nBIPA\r\nTOCA \"pausa.wav\"\r\n";
  for (const ToneCase& tone : ToneCases()) {
    folder.Write(ToneName(tone), ToneFile(tone.rate, tone.channels, tone.bits, kToneSeconds));
    script += "TOCA \"" + ToneName(tone) + "\"\r\nTOCA \"pausa.wav\"\r\n";
  }
  script += "TERMINA MUDO\r\n";
  folder.Write("som.cmd", script);
  const std::string dir = folder.path().string();
  std::vector<std::string> tessel_environment = {"TESSEL_CONSOLE=headless", "MIRANE_WINDIR=" + dir,
                                                 "MIRANE_DRIVE_C=" + dir};
  fs::current_path(folder.path());

  // Through the device, recorded at the sink's monitor. On a loaded machine
  // the server may get nothing in time and play a hole of digital silence
  // (a dropout, not a fault of ours): the pass is then tried again.
  Recording device;
  std::vector<Item> heard;
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::vector<std::string> environment = pulse.Environment();
    Child recorder({"parec", "-d", "tessel.monitor", "--raw", "--format=s16le", "--rate=48000", "--channels=2",
                    "--latency-msec=10"},
                   environment, dir + "/monitor.raw");
    ASSERT_TRUE(recorder.Started());
    // The recorder is heard once it has delivered its first block of silence.
    for (int wait = 0; wait < 50 && fs::file_size(dir + "/monitor.raw") == 0; ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    environment.insert(environment.end(), tessel_environment.begin(), tessel_environment.end());
    environment.push_back("TESSEL_AUDIO=device");
    environment.push_back("SDL_AUDIODRIVER=pulseaudio");
    // What is compared here is the sound, not how soon it comes: a longer
    // server buffer lets the stream ride out a busy machine.
    environment.push_back("PULSE_LATENCY_MSEC=250");
    // Under the leak checker: the sound server's client library keeps
    // allocations past the end, which are not ours.
    if (const char* asan = std::getenv("ASAN_OPTIONS")) environment.push_back(std::string("ASAN_OPTIONS=") + asan + ":detect_leaks=0");
    Child tessel({TESSEL_BINARY, dir + "/som.cmd"}, environment, "/dev/null", dir + "/device.err");
    ASSERT_EQ(tessel.Wait(), 0) << folder.Read("device.err");
    EXPECT_EQ(folder.Read("device.err").find("no sound device"), std::string::npos) << folder.Read("device.err");
    // The last sound is followed by silence played as a file: everything
    // before it has reached the monitor.
    recorder.Stop();
    device = ReadMonitor(folder.path() / "monitor.raw");
    heard = Items(device);
    if (!HasDropout(device, heard)) break;
    std::printf("dropout in the server's stream (machine too busy); trying again\n");
  }
  // Into the capture.
  {
    std::vector<std::string> environment = tessel_environment;
    environment.push_back("TESSEL_AUDIO=wav:" + dir + "/capture.wav");
    ASSERT_EQ(RunToEnd({TESSEL_BINARY, dir + "/som.cmd"}, environment), 0);
  }

  Recording capture = ReadCapture(folder.path() / "capture.wav");
  std::vector<Item> captured = Items(capture);
  EXPECT_FALSE(HasDropout(device, heard)) << "the server dropped out in every try";
  std::vector<std::string> names = {"speech", "letters", "click", "beep"};
  for (const ToneCase& tone : ToneCases()) names.push_back(ToneName(tone));
  // Speech needs the build's voice; without it the first item is the letters.
  if (captured.size() == names.size() - 1) names.erase(names.begin());
  ASSERT_EQ(captured.size(), names.size()) << Describe(captured);
  ASSERT_EQ(heard.size(), captured.size()) << Describe(heard) << "\n" << Describe(captured);
  for (size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    // As long as captured: within 1%, and never closer than two capture
    // samples can tell.
    double tolerance = std::max(0.01 * captured[i].sounding, 2.0 / capture.rate);
    EXPECT_NEAR(heard[i].sounding, captured[i].sounding, tolerance);
    if (names[i] == "beep") {
      EXPECT_NEAR(heard[i].sounding, 512.0 / 11025, 0.002);
    }
    if (names[i].rfind("tom", 0) == 0) {
      EXPECT_NEAR(heard[i].end - heard[i].start, kToneSeconds, 0.01);
      // A 440 Hz tone at a quarter of full scale moves at most about 460 a
      // sample at 48000 Hz; a lost or repeated piece at a buffer join jumps
      // by thousands.
      EXPECT_LT(LargestStep(device, heard[i].first, heard[i].last), 800);
    }
  }
}

TEST(AudioDevicePath, BackgroundSoundPlaysOnThroughSpeech) {
  test_support::TempFolder folder;
  folder.Write("fundo.wav", ToneFile(22050, 1, 16, 1.5));
  // The script ends on a key at 1.7 s, after the tone.
  folder.Write("fala.cmd", "TOCA \"fundo.wav\" &\r\nESCREVE \"bom dia\"\r\nBIPA\r\nFALA \"ola\"\r\nLE K &\r\n");
  folder.Write("keys.txt", "{wait 1700}x");
  const std::string dir = folder.path().string();
  fs::current_path(folder.path());
  ASSERT_EQ(RunToEnd({TESSEL_BINARY, dir + "/fala.cmd"},
                {"TESSEL_CONSOLE=headless", "MIRANE_WINDIR=" + dir, "TESSEL_KEYS=" + dir + "/keys.txt",
                     "TESSEL_AUDIO=wav:" + dir + "/capture.wav"}),
            0);
  Recording capture = ReadCapture(folder.path() / "capture.wav");
  std::vector<Item> items = Items(capture);
  // One sound from the start: the background tone, 1.5 s, with the speech
  // and the beep over it, never silent in between.
  ASSERT_FALSE(items.empty());
  EXPECT_NEAR(items[0].start, 0.0, 0.01);
  EXPECT_NEAR(items[0].sounding, 1.5, 0.02);
  // The tone is there at the end, after the speech has ended: it still
  // swings to a quarter of full scale.
  int peak = 0;
  size_t end = static_cast<size_t>(1.45 * capture.rate);
  for (size_t i = static_cast<size_t>(1.3 * capture.rate); i < end && i < capture.samples.size(); ++i)
    peak = std::max(peak, std::abs(capture.samples[i]));
  EXPECT_NEAR(peak, 8192, 600);
}

}  // namespace
