// speech_commands: the commands that speak and play sounds without writing
// to the console (FALA, SOLETRA, FALAHORA, BIPA, TOCA, MCI).
#pragma once
#include <string>

namespace interp {

bool CmdFala(const std::string& arguments);      // FALA operands [&]
bool CmdSoletra(const std::string& arguments);   // SOLETRA operand
bool CmdFalahora(const std::string& arguments);  // FALAHORA "HH:MM"
bool CmdBipa(const std::string& arguments);      // BIPA [operand]: "1" clicks, anything else beeps
bool CmdToca(const std::string& arguments);      // TOCA file [&]
bool CmdMci(const std::string& arguments);       // MCI V command

}  // namespace interp
