// bmp: decoding the pictures drawn over the console text.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/window.h"

namespace console {

// The bytes of a BMP header that tell its size.
constexpr size_t kBmpHeaderBytes = 54;

// The length a BMP file must have for the picture its first
// kBmpHeaderBytes bytes describe (palette and pixel rows included); 0 when
// the header is not one DecodeBmp takes, or claims a picture larger than the
// console shows. Lets a caller refuse a file before reading it whole.
uint64_t BmpFileBytes(std::string_view header);

// Decodes an uncompressed BMP (1, 4, 8, 16, 24 or 32 bits) with a 40-byte
// info header into top-down 0xAARRGGBB pixels. False for anything else,
// including truncated files.
bool DecodeBmp(const std::string& data, platform::window::Picture& out);

}  // namespace console
