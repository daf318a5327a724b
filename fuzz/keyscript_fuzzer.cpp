// Fuzz target: the harness's key script parser.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/keyscript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<platform::KeyAction> actions;
  std::string error;
  platform::ParseKeyScript(std::string_view(reinterpret_cast<const char*>(data), size), actions, error);
  return 0;
}
