// Fuzz target: the slot line reader of LE #n. The input is a text file read
// line by line through a slot until its end; every byte is read once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/file_table.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_support::HeadlessEnvironment();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string path = fuzz_support::WriteFile("slot.txt", input);
  if (!data::OpenFileSlot('3', path, false)) std::abort();
  size_t bytes = 0;
  std::string line;
  for (size_t count = 0; count <= size + 1; ++count) {
    if (!data::ReadFromSlot('3', line)) std::abort();
    if (data::IoStatus() != data::kIoOk) break;
    bytes += line.size();
  }
  // Lines hold every byte but the line ends.
  size_t ends = 0;
  for (char c : input) ends += c == '\r' || c == '\n';
  if (bytes + ends != size || data::IoStatus() != data::kIoEndOfFile) std::abort();
  data::CloseSlot('3');
  return 0;
}
