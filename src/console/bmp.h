// bmp: decoding the pictures drawn over the console text.
#pragma once
#include <string>

#include "platform/window.h"

namespace console {

// Decodes an uncompressed BMP (1, 4, 8, 16, 24 or 32 bits) with a 40-byte
// info header into top-down 0xAARRGGBB pixels. False for anything else,
// including truncated files.
bool DecodeBmp(const std::string& data, platform::window::Picture& out);

}  // namespace console
