// Fuzz target: arbitrary lines run through ExecuteLine, one input being up
// to 64 lines run in order against a fresh variable store and list table.
//
// The console is headless with a virtual clock and no key script, so
// nothing sleeps. Only the commands of the language itself and the file
// and binary commands may run (the filter below): commands that wait for
// keys would end the process when no key is left, and commands that reach
// programs or the network have no place in a fuzzer. The file commands run
// inside a throwaway folder: every drive and the current folder are that
// folder, and the files layer is confined to it, so no name reaches the
// rest of the disk (nor an endless device such as /dev/zero). DESVIA is
// left out because DESVIA SCRIPT would replace the lines being run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "fuzz_support.h"
#include "data/data_module.h"
#include "data/lists.h"
#include "interpreter/command_filter.h"
#include "interpreter/interpreter.h"
#include "interpreter/operands.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "speech/settings.h"

namespace {

const char* const kAllowed[] = {
    "DEBUG",  "SEJA",      "TELA",   "COR",       "FUNDO",  "ESCREVE", "SOMA",   "SUBTRAI",  "MULTIPLICA",
    "DIVIDE", "CONCATENA", "COPIA",  "LISTA",     "TITULO", "T\xCDTULO", "DELETA", "SUBSTITUI", "CMD",
    "SE",     "SENAO",     "SEN\xC3O", "ENQUANTO", "REPETE", "FIM",     "TERMINA", "CHAMA",   "RETORNA",
    "RANDOMIZA",
    // Files and folders, binary files and encodings.
    "ABRE", "FECHA", "CHECA", "REMOVE", "RENOMEIA", "REPLICA", "DIR", "BUSCA", "TAMARQ", "HTAMARQ",
    "CRIABIN", "ESCREVEBYTE", "LEBYTE", "GRAVABYTES", "LIMPABYTES", "FECHABIN", "CODBASE64",
    "DECODBASE64", "CODARQBASE64", "DECODARQBASE64", "ADQUOTED", "REMOVEQUOTED", "ANSIPARAUTF8",
    "UTF8PARAANSI", "IMAGEM",
};

bool Allowed(const char* word) {
  for (const char* allowed : kAllowed)
    if (std::strcmp(word, allowed) == 0) return true;
  return false;
}

constexpr int kMaxLines = 64;

std::string g_work;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("TESSEL_CONSOLE", "headless", 1);
  setenv("TESSEL_AUDIO", "null", 1);
  unsetenv("TESSEL_KEYS");
  unsetenv("TESSEL_LOG");
  unsetenv("TESSEL_SCREEN");
  // An empty Windows folder: no MIRANE.INI, every setting at its default.
  const std::filesystem::path& folder = fuzz_support::Folder();
  setenv("MIRANE_WINDIR", folder.c_str(), 1);
  // The throwaway folder of the file commands.
  std::filesystem::path work = folder / "work";
  std::filesystem::create_directories(work);
  g_work = std::filesystem::canonical(work).string();
  for (char letter = 'A'; letter <= 'Z'; ++letter)
    setenv((std::string("MIRANE_DRIVE_") + letter).c_str(), g_work.c_str(), 1);
  setenv("TMPDIR", g_work.c_str(), 1);
  platform::files::ConfineForTests(g_work);
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
  // The folder empty and current again; no slot or binary file left open.
  data::DataEnd();
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(g_work, ignored))
    std::filesystem::remove_all(entry.path(), ignored);
  std::filesystem::create_directories(g_work, ignored);  // DIR REMOVE "C:\" may have taken it
  std::filesystem::current_path(g_work, ignored);
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
