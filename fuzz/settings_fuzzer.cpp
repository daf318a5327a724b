// Fuzz target: the INI reader. The first line names a section and a key
// (separated by a tab); the rest is the profile file, read through the
// Windows folder and through a full path.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/settings.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_support::HeadlessEnvironment();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t line_end = input.find('\n');
  std::string probe = line_end == std::string::npos ? input : input.substr(0, line_end);
  std::string contents = line_end == std::string::npos ? "" : input.substr(line_end + 1);
  size_t tab = probe.find('\t');
  std::string section = probe.substr(0, tab);
  std::string key = tab == std::string::npos ? "" : probe.substr(tab + 1);
  std::string path = fuzz_support::WriteFile("FUZZ.INI", contents);
  for (const std::string& file : {std::string("FUZZ.INI"), path}) {
    platform::ProfileString(file, section, key, "default");
    platform::ProfileString(file, section, key, "", 3);
    platform::ProfileKeyExists(file, section, key);
  }
  return 0;
}
