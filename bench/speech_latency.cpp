// How fast the own speaking path answers, in real time, with the recorded
// voice and the null audio output (which passes sound in real time):
//   - from ESCREVE being dispatched to its first sound reaching the audio
//     layer (goal: under 20 ms);
//   - from a key arriving, during a long text, to the audio being stopped
//     (goal: under 30 ms; a sound card adds its own buffer, about 12 ms with
//     the SDL output).
//
//   bench_speech_latency [VOICE_FOLDER [RUNS]]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/console_commands.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "speech/speech.h"
#include "speech/wav_player.h"

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

void Report(const char* what, std::vector<double> samples, double goal) {
  std::sort(samples.begin(), samples.end());
  double median = samples[samples.size() / 2], worst = samples.back();
  std::printf("%-44s median %6.2f ms   worst %6.2f ms   goal < %.0f ms: %s\n", what, median, worst, goal,
              worst < goal ? "met" : "NOT MET");
}

const char kLongText[] =
    "Era uma vez uma casa amarela numa rua comprida, e nela morava uma menina que gostava de ler livros "
    "de aventuras, de contar estrelas e de ouvir as histórias que a avó contava antes de dormir.";

}  // namespace

int main(int argc, char** argv) {
  fs::path voice = argc > 1 ? fs::path(argv[1]) : fs::path(TESSEL_BINARY).parent_path().parent_path() / "voice";
  int runs = argc > 2 ? std::atoi(argv[2]) : 20;
  fs::path windows = fs::temp_directory_path() / "tessel-speech-latency";
  fs::create_directories(windows);
  {
    std::ofstream ini(windows / "MIRANE.INI", std::ios::binary);
    ini << "[TRADUTOR]\r\nDIRLETRAS=" << (voice / "letras").string() << "\r\nDIRDIFONES="
        << (voice / "difones").string() << "\r\n[SINTETIZADOR]\r\nCORTEFON3=600\r\nSOBRAFON3=1200\r\nINTERPAL3=300\r\n";
  }
  setenv("MIRANE_WINDIR", windows.c_str(), 1);
  setenv("TESSEL_CONSOLE", "headless", 1);
  setenv("TESSEL_AUDIO", "null", 1);
  unsetenv("TESSEL_KEYS");
  platform::ClockInit(platform::TimeMode::Real);
  console::EnsureWindow();
  speech::SpeechInit(3, "");

  // ESCREVE to first sound: the first buffer handed to the audio layer ends
  // the measurement, and a key then ends the speech.
  std::vector<double> first_sound;
  Clock::time_point start, first;
  bool heard = false;
  speech::SetQueueObserver([&](const uint8_t*, size_t, int, int, int) {
    if (heard) return;
    heard = true;
    first = Clock::now();
    PostKey();
  });
  for (int run = 0; run < runs; ++run) {
    heard = false;
    start = Clock::now();
    interp::CmdEscreve(run % 2 ? "\"Bem-vindo ao Tessel!\"" : std::string("\"") + kLongText + "\"");
    console::FlushKeys();
    if (heard) first_sound.push_back(Ms(first - start));
  }
  speech::SetQueueObserver(nullptr);

  // Key to silence: a key arrives 300 ms into a long text; Speak returns once
  // the output has been reset.
  std::vector<double> key_to_silence;
  for (int run = 0; run < runs; ++run) {
    std::atomic<int64_t> key_at{0};
    std::thread typist([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      key_at = Clock::now().time_since_epoch().count();
      PostKey();
    });
    speech::Speak(kLongText);
    auto stopped = Clock::now();
    typist.join();
    console::FlushKeys();
    key_to_silence.push_back(Ms(stopped - Clock::time_point(Clock::duration(key_at.load()))));
  }
  speech::SpeechEnd();

  if (first_sound.empty() || key_to_silence.empty()) {
    std::fprintf(stderr, "speech_latency: nothing was heard (is the voice in %s?)\n", voice.c_str());
    return 1;
  }
  Report("ESCREVE dispatched to first sound:", first_sound, 20);
  Report("key arriving to the audio stopped:", key_to_silence, 30);
  return 0;
}
