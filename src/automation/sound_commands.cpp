// ALARME and MENSAGEM.
#include "automation/sound_commands.h"

#include <cstdint>
#include <string>

#include "interpreter/operands.h"
#include "speech/settings.h"
#include "speech/speech.h"
#include "speech/wav_player.h"

namespace automation {
namespace {

// Frequencies and durations ALARME accepts: 0 to 20000.
constexpr int32_t kLargestAlarm = 20000;

bool ReadInteger(std::string& rest, int32_t& value) {
  std::string text;
  return interp::ReadOperand(rest, text) && interp::ToInteger(text, value);
}

}  // namespace

// ALARME frequency duration: a tone of `frequency` Hz for `duration` ms, as
// the PC speaker sounds it; returns when it ends (or a key is pressed).
bool CmdAlarme(const std::string& arguments) {
  std::string rest = arguments;
  int32_t frequency = 0, duration = 0;
  if (!ReadInteger(rest, frequency) || !ReadInteger(rest, duration)) return false;
  if (frequency < 0 || frequency > kLargestAlarm || duration < 0 || duration > kLargestAlarm) return false;
  speech::PlayTone(frequency, duration);
  return true;
}

// MENSAGEM name: plays the WAV file name (upper-cased, ".WAV" added when
// missing).
bool CmdMensagem(const std::string& arguments) {
  std::string rest = arguments, name;
  if (!interp::ReadOperand(rest, name)) return false;
  name = speech::UpperCasePt(name);
  if (name.find(".WAV") == std::string::npos) name += ".WAV";
  speech::WaitPendingSpeech();
  speech::PlayWavFile(name);
  return true;
}

}  // namespace automation
