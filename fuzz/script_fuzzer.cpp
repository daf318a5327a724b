// Fuzz target: script loading, with its encoding detection (UTF-8 or
// Latin-1, a byte-order mark), line ends and the unscrambling of ".crp"
// scripts; the loaded lines are then looked up as the run loop does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "interpreter/interpreter.h"
#include "interpreter/scramble.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_support::HeadlessEnvironment();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  for (const char* name : {"s.cmd", "s.crp"}) {
    std::string path = fuzz_support::WriteFile(name, input);
    if (!interp::LoadScript(path)) continue;
    for (int line = 1; line <= interp::LineCount() && line <= 64; ++line) {
      interp::Line(line);
      interp::CanonicalLine(line);
    }
    interp::FindLabel(input.substr(0, 16));
  }
  interp::ScrambleLine(interp::UnscrambleLine(input));
  return 0;
}
