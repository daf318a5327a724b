// sound_commands: the device commands that sound (ALARME, the PC speaker's
// tone, and MENSAGEM, a recorded WAV message).
#pragma once
#include <string>

namespace automation {

bool CmdAlarme(const std::string& arguments);    // ALARME frequency duration
bool CmdMensagem(const std::string& arguments);  // MENSAGEM name

}  // namespace automation
