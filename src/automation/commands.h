// automation commands: driving the desktop and other programs.
//
// Keys and clicks (DIGITA, ACIONA, CLICA), windows, the clipboard and
// accessible objects (JANELA, CAPTURA, TRANSFERE, HANDLE, MSAA), programs
// and devices (EXECUTA, EXISTEPROG, ENVIACMD, ESPERA, MIDI, SENSOR), and the
// menu a script builds and runs on the console (MENU). Each
// handler receives the trimmed argument text; a command that needs the
// graphical desktop fails with a spoken message when there is none.
#pragma once
#include <string>

namespace automation {

bool CmdDigita(const std::string& arguments);
bool CmdAciona(const std::string& arguments);
bool CmdClica(const std::string& arguments);

bool CmdJanela(const std::string& arguments);
bool CmdCaptura(const std::string& arguments);
bool CmdTransfere(const std::string& arguments);
bool CmdHandle(const std::string& arguments);
bool CmdMsaa(const std::string& arguments);

bool CmdExecuta(const std::string& arguments);
bool CmdExisteprog(const std::string& arguments);
bool CmdEnviacmd(const std::string& arguments);
bool CmdEspera(const std::string& arguments);
bool CmdMidi(const std::string& arguments);
bool CmdSensor(const std::string& arguments);

// MENU CRIA x1 y1 x2 y2 / ADICIONA text / EXECUTA P K T / TERMINA
bool CmdMenu(const std::string& arguments);

// LE CONSOLE: what the child program started by EXECUTA &&& has written
// since the last read (output, CR LF, error output; CR LF at the end when
// anything came); empty when nothing waits.
std::string ReadChildOutput();

}  // namespace automation
