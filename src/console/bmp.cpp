// BMP decoding for the picture overlay.
#include "console/bmp.h"

#include <cstdint>

namespace console {
namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

bool DecodeBmp(const std::string& data, platform::window::Picture& out) {
  const uint8_t* d = reinterpret_cast<const uint8_t*>(data.data());
  if (data.size() < 54 || d[0] != 'B' || d[1] != 'M') return false;
  if (Le32(d + 14) != 40) return false;
  uint32_t offset = Le32(d + 10);
  int32_t raw_width = static_cast<int32_t>(Le32(d + 18));
  int32_t raw_height = static_cast<int32_t>(Le32(d + 22));
  uint16_t bits = Le16(d + 28);
  uint32_t compression = Le32(d + 30);
  uint32_t colours_used = Le32(d + 46);
  if (compression != 0 && !(compression == 3 && (bits == 16 || bits == 32))) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  // The design takes the low 16 bits of width and height.
  int width = raw_width & 0xFFFF;
  int height_field = raw_height & 0xFFFF;
  bool top_down = raw_height < 0;
  int height = top_down ? static_cast<int>((0u - static_cast<uint32_t>(raw_height)) & 0xFFFF) : height_field;
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return false;
  if (bits <= 8 && (colours_used == 0 || colours_used > (1u << bits))) colours_used = 1u << bits;
  size_t palette_at = 14 + 40;
  if (bits <= 8 && palette_at + 4ull * colours_used > data.size()) return false;
  uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
  uint64_t image_size = stride * height;
  if (offset > data.size() || image_size > data.size() - offset) return false;
  out.width = width;
  out.height = height;
  out.pixels.assign(static_cast<size_t>(width) * height, 0xFF000000u);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = d + offset + stride * (top_down ? y : height - 1 - y);
    for (int x = 0; x < width; ++x) {
      uint32_t pixel;
      if (bits <= 8) {
        int per_byte = 8 / bits;
        int byte = row[x / per_byte];
        int shift = (per_byte - 1 - x % per_byte) * bits;
        uint32_t index = (byte >> shift) & ((1u << bits) - 1);
        if (index >= colours_used) index = 0;
        const uint8_t* entry = d + palette_at + 4 * index;
        pixel = (entry[2] << 16) | (entry[1] << 8) | entry[0];
      } else if (bits == 16) {
        uint16_t v = Le16(row + 2 * x);
        pixel = (((v >> 10) & 31) * 255 / 31) << 16 | (((v >> 5) & 31) * 255 / 31) << 8 | ((v & 31) * 255 / 31);
      } else {
        const uint8_t* p = row + (bits / 8) * x;
        pixel = (p[2] << 16) | (p[1] << 8) | p[0];
      }
      out.pixels[static_cast<size_t>(y) * width + x] = 0xFF000000u | pixel;
    }
  }
  return true;
}


}  // namespace console
