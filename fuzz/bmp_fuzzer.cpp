// Fuzz target: the bitmap decoder behind IMAGEM and LoadPicture, which reads
// any file a script names.
#include <cstddef>
#include <cstdint>
#include <string>

#include "console/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  std::string data(reinterpret_cast<const char*>(bytes), size);
  platform::window::Picture picture;
  if (console::DecodeBmp(data, picture)) {
    if (picture.width <= 0 || picture.height <= 0) __builtin_trap();
    if (picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height) __builtin_trap();
  }
  return 0;
}
