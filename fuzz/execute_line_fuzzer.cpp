// Fuzz target: arbitrary lines run through ExecuteLine, one input being up
// to 64 lines run in order against a fresh variable store and list table.
//
// The console is headless with a virtual clock and no key script, so
// nothing sleeps. Only the commands of the language itself may run (the
// filter below): commands that wait for keys would end the process when
// no key is left, and commands that reach files, programs or the network
// have no place in a fuzzer. DESVIA is left out because DESVIA SCRIPT can
// load any file, including endless ones such as /dev/zero.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "data/lists.h"
#include "interpreter/command_filter.h"
#include "interpreter/interpreter.h"
#include "interpreter/operands.h"
#include "platform/clock.h"
#include "speech/settings.h"

namespace {

const char* const kAllowed[] = {
    "DEBUG",  "SEJA",      "TELA",   "COR",       "FUNDO",  "ESCREVE", "SOMA",   "SUBTRAI",  "MULTIPLICA",
    "DIVIDE", "CONCATENA", "COPIA",  "LISTA",     "TITULO", "T\xCDTULO", "DELETA", "SUBSTITUI", "CMD",
    "SE",     "SENAO",     "SEN\xC3O", "ENQUANTO", "REPETE", "FIM",     "TERMINA", "CHAMA",   "RETORNA",
    "RANDOMIZA",
};

bool Allowed(const char* word) {
  for (const char* allowed : kAllowed)
    if (std::strcmp(word, allowed) == 0) return true;
  return false;
}

constexpr int kMaxLines = 64;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("TESSEL_CONSOLE", "headless", 1);
  setenv("TESSEL_AUDIO", "null", 1);
  unsetenv("TESSEL_KEYS");
  unsetenv("TESSEL_LOG");
  unsetenv("TESSEL_SCREEN");
  // An empty Windows folder: no MIRANE.INI, every setting at its default.
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "tessel-fuzz";
  std::filesystem::create_directories(folder);
  setenv("MIRANE_WINDIR", folder.c_str(), 1);
  platform::ClockInit(platform::TimeMode::Virtual);
  speech::RecordStartFolder();
  interp::InterpreterInit();
  interp::SetCommandFilter(Allowed);
  return 0;
}

// Odd lines run in single-line mode (as CMD and the one-line SE run them),
// even lines as lines of a script.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  interp::ResetInterpreterForTests();
  interp::ResetVariables();
  data::ResetLists();
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  for (int line = 0; line < kMaxLines && start <= input.size(); ++line) {
    size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    interp::ExecuteLine(input.substr(start, end - start), line % 2 == 1);
    start = end + 1;
  }
  return 0;
}
