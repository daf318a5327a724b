// Fuzz target: the picture path of IMAGEM. The input is a JPEG file; it is
// converted to a bitmap as IMAGEM does, and the bitmap decoded for the
// console. The input is also decoded as a bitmap itself.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "console/bmp.h"
#include "data/picture.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_support::HeadlessEnvironment();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string jpeg = fuzz_support::WriteFile("in.jpg", input);
  std::string bitmap = (fuzz_support::Folder() / "out.bmp").string();
  platform::window::Picture picture;
  if (data::ConvertJpegToBitmap(jpeg, bitmap)) {
    std::ifstream in(bitmap, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    console::BmpFileBytes(bytes);
    console::DecodeBmp(bytes, picture);
  }
  console::BmpFileBytes(input);
  console::DecodeBmp(input, picture);
  return 0;
}
