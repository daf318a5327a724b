// The speech interface. Until the recorded voice and the diphone translator
// are in place, speaking writes the text to the harness log only: nothing is
// heard yet.
#include "speech/speech.h"

#include <string>

#include "console/console.h"
#include "console/keyboard.h"
#include "platform/files.h"
#include "platform/log.h"

namespace speech {
namespace {
std::string g_message_folder;
}

void SpeechInit(int, const std::string& message_folder) {
  g_message_folder = message_folder;
  if (!g_message_folder.empty() && g_message_folder.back() != '\\' && g_message_folder.back() != '/')
    g_message_folder += '\\';
}

void SpeechEnd() {}

// Not heard yet: logged for the harness only.
void Speak(std::string_view text) { platform::LogEvent("speak", text); }

void Spell(std::string_view text) { platform::LogEvent("spell", text); }

void SayLetter(char c) { platform::LogEvent("spell", std::string(1, c)); }

bool IsSpeaking() {
  if (console::KeyPressed()) {
    StopSpeech();
    return false;
  }
  return false;
}

void StopSpeech() {}

void WaitWhileSpeaking() {
  while (IsSpeaking()) console::WaitMessage();
}

bool MessageExists(const std::string& key) {
  if (key.empty() || key[0] == '_' || g_message_folder.empty()) return false;
  return platform::files::Exists(g_message_folder + key + ".wav");
}

void PlayMessage(const std::string& key) {
  if (MessageExists(key)) platform::LogEvent("play", g_message_folder + key + ".wav");
}

void PlayClick() { platform::LogEvent("click"); }

void PlayBeep() {
  console::FlushKeys();
  platform::LogEvent("beep");
}

void InterruptiblePause(int ms) {
  for (int step = 0; step < ms / 50; ++step)
    if (!console::KeyPressed()) console::Delay(50);
}

void WriteSpeak(std::string_view text) {
  console::ConsoleWrite(text);
  Speak(text);
}

void WriteLineSpeak(std::string_view text) {
  WriteSpeak(text);
  console::ConsoleWrite("\r\n");
}

void WriteSpeakNumber(long number) { WriteSpeak(std::to_string(number)); }

char ReadKeySay() {
  char key = static_cast<char>(console::ReadKey());
  StopSpeech();
  SayLetter(key);
  return key;
}

}  // namespace speech
