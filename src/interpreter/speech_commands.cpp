// FALA, SOLETRA, FALAHORA, BIPA, TOCA and MCI.
#include "interpreter/speech_commands.h"

#include <cstdint>
#include <string>

#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/operands.h"
#include "platform/clock.h"
#include "platform/media.h"
#include "speech/number_words.h"
#include "speech/speech.h"

namespace interp {
namespace {

// Sends an MCI command; errors are left to the caller's answer.
std::string SendMci(const std::string& command) {
  std::string answer;
  platform::media::SendCommand(command, answer);
  return answer;
}

// Two decimal digits of "HH:MM" as an integer.
bool TwoDigits(const std::string& text, int& value) {
  int32_t number = 0;
  if (!ToInteger(text, number)) return false;
  value = number;
  return true;
}

}  // namespace

// FALA operands [&]: speaks the joined values and waits until silent (not
// with "&"); without operands, silences speech.
bool CmdFala(const std::string& arguments) {
  std::string rest = arguments;
  bool wait = !TakeTrailingAmpersand(rest);
  SkipBlanks(rest);
  if (rest.empty()) {
    speech::StopSpeech();
    if (wait) speech::WaitWhileSpeaking();
    return true;
  }
  std::string text, value;
  while (ReadOperand(rest, value)) text += value;
  speech::Speak(text);
  if (wait) speech::WaitWhileSpeaking();
  return rest.empty();
}

// SOLETRA operand: spells the value letter by letter, then writes it.
bool CmdSoletra(const std::string& arguments) {
  if (arguments.empty()) return false;
  std::string rest = arguments, text;
  if (!ReadOperand(rest, text)) text.clear();
  speech::Spell(text);
  console::ConsoleWrite(text);
  speech::WaitWhileSpeaking();
  return true;
}

// FALAHORA "HH:MM": says the time. An unquoted 07:30 is taken as written.
bool CmdFalahora(const std::string& arguments) {
  if (arguments.empty()) return false;
  std::string rest = arguments, time;
  bool read = ReadOperand(rest, time);
  if (!read || time.size() != 5 || time[2] != ':') {
    if (arguments.size() != 5 || arguments[2] != ':') return false;
    time = arguments;
  }
  int hour = 0, minute = 0;
  if (!TwoDigits(time.substr(0, 2), hour) || !TwoDigits(time.substr(3, 2), minute)) return false;
  speech::SayTime(hour, minute);
  speech::WaitWhileSpeaking();
  return true;
}

// BIPA [operand]: "1" clicks; anything else, or nothing, beeps.
bool CmdBipa(const std::string& arguments) {
  std::string value = "0";
  if (!arguments.empty()) {
    std::string rest = arguments;
    if (!ReadOperand(rest, value)) return false;
  }
  if (value == "1") speech::PlayClick();
  else speech::PlayBeep();
  return true;
}

// TOCA file [&]: plays a sound file through the media layer. Without "&" it
// waits until the sound ends or a key is pressed; that key is discarded.
bool CmdToca(const std::string& arguments) {
  std::string rest = arguments;
  bool background = TakeTrailingAmpersand(rest);
  std::string name;
  if (!ReadOperand(rest, name) || !rest.empty()) return false;
  speech::WaitWhileSpeaking();
  if (background) {
    SendMci("play \"" + name + "\"");
    return true;
  }
  SendMci("open \"" + name + "\" alias myfile");
  SendMci("play myfile");
  // The state is asked every 100 ms; a key ends the wait at once.
  while (!console::KeyPressed()) {
    int64_t deadline = platform::NowMs() + 100;
    while (platform::NowMs() < deadline && !console::KeyPressed()) console::WaitMessage(deadline - platform::NowMs());
    if (console::KeyPressed() || SendMci("status myfile mode") != "playing") break;
  }
  console::FlushKeys();
  SendMci("stop myfile");
  SendMci("close myfile");
  return true;
}

// MCI V command: sends an MCI command string; V gets the answer (empty on
// error).
bool CmdMci(const std::string& arguments) {
  std::string rest = arguments, command;
  int slot = 0;
  if (!ReadVariableName(rest, slot) || !ReadOperand(rest, command) || !rest.empty()) return false;
  std::string answer;
  if (platform::media::SendCommand(command, answer) != 0) answer.clear();
  SetVariable(slot, answer.substr(0, 1023));
  return true;
}

}  // namespace interp
