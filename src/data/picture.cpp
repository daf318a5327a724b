// IMAGEM and the JPEG to bitmap conversion (libjpeg).
#include "data/picture.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "console/console.h"
#include "data/command_text.h"
#include "interpreter/operands.h"
#include "platform/files.h"
#include "platform/log.h"
#include "speech/settings.h"

namespace data {
namespace {

// Pictures beyond these sizes are refused: the window shows at most 16384
// pixels a side, and a bitmap of 64 million pixels already takes 192 MB.
constexpr int kMaxSide = 16384;
constexpr uint64_t kMaxPixels = 64ull << 20;
// A JPEG file longer than this is not read (a picture of kMaxPixels takes
// far less); nor is a device that never ends, such as /dev/zero.
constexpr uint64_t kMaxJpegBytes = 256ull << 20;
constexpr long kMaxDecoderMemory = 512l << 20;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

// A decoded picture: rows from the top, `components` bytes a pixel (1 grey,
// 3 red-green-blue).
struct Image {
  int width = 0;
  int height = 0;
  int components = 0;
  std::vector<uint8_t> pixels;
};

// libjpeg's decoder with an error manager that jumps back instead of ending
// the program. Kept on the heap so that nothing the jump skips over lives in
// the decoding function's own frame.
struct Decoder {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  std::jmp_buf jump{};
  bool created = false;
  std::vector<uint8_t> row;  // one CMYK row

  ~Decoder() {
    if (created) jpeg_destroy_decompress(&info);
  }
};

[[noreturn]] void JumpOnError(j_common_ptr info) {
  Decoder* decoder = static_cast<Decoder*>(info->client_data);
  std::longjmp(decoder->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

// Decodes JPEG bytes; CMYK pictures (as Adobe programs write them) are
// turned into red-green-blue.
bool DecodeJpeg(const std::string& data, Image& image) {
  auto decoder = std::make_unique<Decoder>();
  jpeg_decompress_struct* info = &decoder->info;
  info->err = jpeg_std_error(&decoder->errors);
  decoder->errors.error_exit = JumpOnError;
  decoder->errors.output_message = IgnoreMessage;
  info->client_data = decoder.get();  // kept by jpeg_create_decompress
  if (setjmp(decoder->jump)) return false;  // the decoder is destroyed by its owner
  jpeg_create_decompress(info);
  decoder->created = true;
  jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned long>(data.size()));
  jpeg_read_header(info, TRUE);
  // The size the header claims is checked before anything is decoded: a
  // small file may claim a picture of billions of pixels.
  uint64_t claimed = static_cast<uint64_t>(info->image_width) * info->image_height;
  if (info->image_width == 0 || info->image_height == 0 || info->image_width > kMaxSide ||
      info->image_height > kMaxSide || claimed > kMaxPixels)
    return false;
  // Nor may the decoder's own work areas grow past what such a picture needs.
  info->mem->max_memory_to_use = kMaxDecoderMemory;
  bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
  bool grey = info->jpeg_color_space == JCS_GRAYSCALE;
  info->out_color_space = cmyk ? JCS_CMYK : grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(info);
  uint64_t pixels = static_cast<uint64_t>(info->output_width) * info->output_height;
  if (info->output_width == 0 || info->output_height == 0 || info->output_width > kMaxSide ||
      info->output_height > kMaxSide || pixels > kMaxPixels)
    return false;
  const int source_components = info->output_components;
  image.width = static_cast<int>(info->output_width);
  image.height = static_cast<int>(info->output_height);
  image.components = grey ? 1 : 3;
  image.pixels.assign(pixels * image.components, 0);
  std::vector<uint8_t>& row = decoder->row;
  row.assign(static_cast<size_t>(image.width) * source_components, 0);
  while (info->output_scanline < info->output_height) {
    uint8_t* target = image.pixels.data() + static_cast<size_t>(info->output_scanline) * image.width * image.components;
    JSAMPROW rows[1] = {cmyk ? row.data() : target};
    if (jpeg_read_scanlines(info, rows, 1) != 1) return false;
    if (cmyk) {
      // Adobe writes the inks inverted: each byte is 255 minus the ink.
      for (int x = 0; x < image.width; ++x) {
        const uint8_t* ink = row.data() + 4 * x;
        for (int c = 0; c < 3; ++c) target[3 * x + c] = static_cast<uint8_t>(ink[c] * ink[3] / 255);
      }
    }
  }
  jpeg_finish_decompress(info);
  return true;
}

void PutLe16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
void PutLe32(std::string& out, uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}

// Writes the image as a bottom-up Windows bitmap.
bool WriteBitmap(const Image& image, const std::string& name) {
  const uint32_t bits = image.components == 1 ? 8 : 24;
  const uint32_t palette = bits == 8 ? 256 * 4 : 0;
  const uint32_t stride = (static_cast<uint32_t>(image.width) * bits / 8 + 3) & ~3u;
  const uint32_t image_size = stride * static_cast<uint32_t>(image.height);
  const uint32_t offset = 14 + 40 + palette;
  std::string header;
  header += "BM";
  PutLe32(header, offset + image_size);
  PutLe32(header, 0);
  PutLe32(header, offset);
  PutLe32(header, 40);
  PutLe32(header, static_cast<uint32_t>(image.width));
  PutLe32(header, static_cast<uint32_t>(image.height));
  PutLe16(header, 1);
  PutLe16(header, bits);
  PutLe32(header, 0);  // no compression
  PutLe32(header, image_size);
  PutLe32(header, 2835);  // 72 dots per inch
  PutLe32(header, 2835);
  PutLe32(header, bits == 8 ? 256 : 0);
  PutLe32(header, 0);
  for (uint32_t i = 0; bits == 8 && i < 256; ++i) {
    header.append(3, static_cast<char>(i));
    header += '\0';
  }
  FilePointer file(platform::files::Open(name, "wb"));
  if (!file || std::fwrite(header.data(), 1, header.size(), file.get()) != header.size()) return false;
  std::vector<uint8_t> row(stride, 0);
  const size_t row_bytes = static_cast<size_t>(image.width) * image.components;
  for (int y = image.height - 1; y >= 0; --y) {
    const uint8_t* source = image.pixels.data() + row_bytes * y;
    if (image.components == 1) {
      std::copy(source, source + row_bytes, row.begin());
    } else {
      for (int x = 0; x < image.width; ++x) {  // bitmaps hold blue, green, red
        row[3 * x] = source[3 * x + 2];
        row[3 * x + 1] = source[3 * x + 1];
        row[3 * x + 2] = source[3 * x];
      }
    }
    if (std::fwrite(row.data(), 1, row.size(), file.get()) != row.size()) return false;
  }
  return std::fclose(file.release()) == 0;
}

bool IsJpegName(const std::string& name) {
  std::string upper = speech::UpperCasePt(name);
  auto ends_with = [&upper](const std::string& suffix) {
    return upper.size() >= suffix.size() && upper.compare(upper.size() - suffix.size(), suffix.size(), suffix) == 0;
  };
  return ends_with(".JPG") || ends_with(".JPEG");
}

// Removes the temporary bitmap when it goes out of scope.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string name) : name_(std::move(name)) {}
  ~TemporaryFile() {
    if (!name_.empty()) platform::files::Remove(name_);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& name() const { return name_; }

 private:
  std::string name_;
};

// Loads the picture (a JPEG through a temporary bitmap) and shows it.
bool ShowPicture(const std::string& name, int x, int y) {
  if (IsJpegName(name) && platform::files::Exists(name)) {
    TemporaryFile bitmap(platform::files::TemporaryPath("tessel-picture-", ".bmp"));
    if (bitmap.name().empty() || !ConvertJpegToBitmap(name, bitmap.name()) ||
        !console::LoadPicture(bitmap.name()))
      return false;
  } else if (!console::LoadPicture(name)) {
    return false;
  }
  console::DrawPicture(x, y);
  platform::LogEvent("picture", name);
  return true;
}

// Reads a JPEG file whole: it must start as a JPEG does and stay within
// kMaxJpegBytes.
bool ReadJpeg(const std::string& name, std::string& data) {
  FilePointer file(platform::files::Open(name, "rb"));
  if (!file) return false;
  data.assign(2, '\0');
  if (std::fread(data.data(), 1, 2, file.get()) != 2 || data != "\xFF\xD8") return false;
  char buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    if (data.size() + count > kMaxJpegBytes) return false;
    data.append(buffer, count);
  }
  return !std::ferror(file.get());
}

}  // namespace

bool ConvertJpegToBitmap(const std::string& jpeg, const std::string& bitmap) {
  std::string data;
  if (!ReadJpeg(jpeg, data)) return false;
  Image image;
  return DecodeJpeg(data, image) && WriteBitmap(image, bitmap);
}

bool CmdImagem(const std::string& arguments) {
  if (arguments.empty()) {
    console::RemovePicture();
    return true;
  }
  std::string rest = arguments, name;
  bool quiet = TakeTrailingAmpersand(rest);
  if (!interp::ReadOperand(rest, name)) return false;
  int32_t x = 0, y = 0;
  if (!rest.empty()) {
    std::string x_text, y_text;
    if (!interp::ReadOperand(rest, x_text) || !interp::ReadOperand(rest, y_text) || !rest.empty() ||
        !interp::ToInteger(x_text, x) || !interp::ToInteger(y_text, y))
      return false;
  }
  console::RemovePicture();
  name = TrimmedText(name);
  if (name.empty()) return true;
  return ShowPicture(name, x, y) || quiet;
}

}  // namespace data
