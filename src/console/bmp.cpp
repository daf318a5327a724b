// BMP decoding for the picture overlay.
#include "console/bmp.h"

#include <algorithm>
#include <cstdint>

namespace console {
namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// What a BMP header says, once checked.
struct Layout {
  uint32_t offset = 0;
  uint16_t bits = 0;
  uint32_t colours_used = 0;
  int width = 0;
  int height = 0;
  bool top_down = false;
  uint64_t stride = 0;
  uint64_t needed = 0;  // the file length the picture needs
};

// The console shows at most this many pixels a side and in all (a picture
// of 64 million pixels already takes 256 MB).
constexpr int kMaxSide = 16384;
constexpr uint64_t kMaxPixels = 64ull << 20;

bool ReadLayout(std::string_view data, Layout& layout) {
  const uint8_t* d = reinterpret_cast<const uint8_t*>(data.data());
  if (data.size() < kBmpHeaderBytes || d[0] != 'B' || d[1] != 'M') return false;
  if (Le32(d + 14) != 40) return false;
  layout.offset = Le32(d + 10);
  int32_t raw_width = static_cast<int32_t>(Le32(d + 18));
  int32_t raw_height = static_cast<int32_t>(Le32(d + 22));
  layout.bits = Le16(d + 28);
  const uint16_t bits = layout.bits;
  uint32_t compression = Le32(d + 30);
  layout.colours_used = Le32(d + 46);
  if (compression != 0 && !(compression == 3 && (bits == 16 || bits == 32))) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  // The design takes the low 16 bits of width and height.
  layout.width = raw_width & 0xFFFF;
  int height_field = raw_height & 0xFFFF;
  layout.top_down = raw_height < 0;
  layout.height =
      layout.top_down ? static_cast<int>((0u - static_cast<uint32_t>(raw_height)) & 0xFFFF) : height_field;
  if (layout.width <= 0 || layout.height <= 0 || layout.width > kMaxSide || layout.height > kMaxSide ||
      static_cast<uint64_t>(layout.width) * layout.height > kMaxPixels)
    return false;
  if (bits <= 8 && (layout.colours_used == 0 || layout.colours_used > (1u << bits)))
    layout.colours_used = 1u << bits;
  uint64_t palette_end = bits <= 8 ? kBmpHeaderBytes + 4ull * layout.colours_used : kBmpHeaderBytes;
  layout.stride = ((static_cast<uint64_t>(layout.width) * bits + 31) / 32) * 4;
  layout.needed = std::max<uint64_t>(palette_end, layout.offset + layout.stride * layout.height);
  return true;
}

}  // namespace

uint64_t BmpFileBytes(std::string_view header) {
  Layout layout;
  return ReadLayout(header, layout) ? layout.needed : 0;
}

bool DecodeBmp(const std::string& data, platform::window::Picture& out) {
  const uint8_t* d = reinterpret_cast<const uint8_t*>(data.data());
  Layout layout;
  if (!ReadLayout(data, layout) || layout.needed > data.size()) return false;
  const uint32_t offset = layout.offset;
  const uint16_t bits = layout.bits;
  const uint32_t colours_used = layout.colours_used;
  const int width = layout.width;
  const int height = layout.height;
  const bool top_down = layout.top_down;
  const uint64_t stride = layout.stride;
  const size_t palette_at = kBmpHeaderBytes;
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
