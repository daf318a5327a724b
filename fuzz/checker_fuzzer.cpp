// Fuzz target: any bytes as a script file, loaded and checked by the script
// checker (tessel --verifica), under a name that alternates between a plain
// and a scrambled script. Nothing of the script runs.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "interpreter/checker.h"
#include "interpreter/interpreter.h"
#include "platform/clock.h"
#include "speech/settings.h"

namespace {
std::string g_plain, g_scrambled;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("TESSEL_CONSOLE", "headless", 1);
  setenv("TESSEL_AUDIO", "null", 1);
  unsetenv("TESSEL_KEYS");
  unsetenv("TESSEL_LOG");
  unsetenv("TESSEL_SCREEN");
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "tessel-fuzz-checker";
  std::filesystem::create_directories(folder);
  setenv("MIRANE_WINDIR", folder.c_str(), 1);
  g_plain = (folder / "s.cmd").string();
  g_scrambled = (folder / "s.crp").string();
  platform::ClockInit(platform::TimeMode::Virtual);
  speech::RecordStartFolder();
  interp::InterpreterInit();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& name = size > 0 && (data[0] & 1) ? g_scrambled : g_plain;
  std::FILE* file = std::fopen(name.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  if (!interp::LoadScript(name)) return 0;
  std::string label;
  if (size > 1 && data[1] == '@') label = "INICIO";
  for (const interp::Finding& finding : interp::CheckLoadedScript(label)) (void)interp::FindingText(finding);
  return 0;
}
