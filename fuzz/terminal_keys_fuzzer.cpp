// Fuzz target: terminal escape sequences. The input is parsed whole, and
// also fed in two parts as a terminal delivers it, the unconsumed rest kept
// for the next call; consumed counts never pass what was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/terminal_keys.h"

namespace terminal = platform::terminal;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  for (bool complete : {false, true}) {
    terminal::ParsedKeys parsed = terminal::ParseTerminalKeys(input, complete);
    if (parsed.consumed > input.size()) std::abort();
    if (complete && parsed.consumed != input.size()) std::abort();
  }
  size_t cut = size == 0 ? 0 : data[0] % (size + 1);
  std::string pending(input.substr(0, cut));
  terminal::ParsedKeys first = terminal::ParseTerminalKeys(pending, false);
  if (first.consumed > pending.size()) std::abort();
  pending.erase(0, first.consumed);
  pending.append(input.substr(cut));
  terminal::ParsedKeys rest = terminal::ParseTerminalKeys(pending, true);
  if (rest.consumed != pending.size()) std::abort();
  return 0;
}
