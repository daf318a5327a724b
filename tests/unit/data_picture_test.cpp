// Tests of IMAGEM and the JPEG to bitmap conversion, with the small pictures
// in tests/fixtures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/console.h"
#include "data/picture.h"
#include "interpreter/operands.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using test_support::HeadlessConsole;

const fs::path kFixtures = fs::path(TESSEL_SOURCE_DIR) / "tests" / "fixtures";

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

uint32_t Le32(const std::string& data, size_t at) {
  return static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1]) << 8 |
         static_cast<uint8_t>(data[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(data[at + 3])) << 24;
}

class DataPicture : public testing::Test {
 protected:
  DataPicture() {
    temporary_ = headless_.folder().path() / "tmp";
    fs::create_directories(temporary_);
    const char* old = std::getenv("TMPDIR");
    if (old) saved_tmpdir_ = old;
    setenv("TMPDIR", temporary_.c_str(), 1);
  }
  ~DataPicture() override {
    if (saved_tmpdir_.empty()) unsetenv("TMPDIR");
    else setenv("TMPDIR", saved_tmpdir_.c_str(), 1);
  }
  // No file left in the temporary folder (the program's own folder in it
  // may stay).
  bool TemporaryFolderEmpty() const {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(temporary_))
      if (!entry.is_directory()) return false;
    return true;
  }
  std::string Out(const std::string& name) const { return (headless_.folder().path() / name).string(); }

  HeadlessConsole headless_;
  fs::path temporary_;
  std::string saved_tmpdir_;
};

TEST_F(DataPicture, JpegBecomesABitmap) {
  struct Case {
    const char* file;
    uint32_t width, height, bits;
  } cases[] = {
      {"colour_4x3.jpg", 4, 3, 24},
      {"grey_5x2.jpg", 5, 2, 8},
      {"cmyk_2x2.jpg", 2, 2, 24},
  };
  for (const Case& c : cases) {
    std::string bitmap = Out(std::string(c.file) + ".bmp");
    ASSERT_TRUE(data::ConvertJpegToBitmap((kFixtures / c.file).string(), bitmap)) << c.file;
    std::string bytes = ReadBytes(bitmap);
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bytes, 2), bytes.size());
    EXPECT_EQ(Le32(bytes, 14), 40u);
    EXPECT_EQ(Le32(bytes, 18), c.width);
    EXPECT_EQ(Le32(bytes, 22), c.height);
    EXPECT_EQ(static_cast<uint8_t>(bytes[28]), c.bits);
    uint32_t stride = (c.width * c.bits / 8 + 3) & ~3u;
    EXPECT_EQ(bytes.size(), Le32(bytes, 10) + stride * c.height);
  }
  // Red stays red (blue, green, red in the file): the bottom-right pixel of
  // the colour picture and any pixel of the CMYK one.
  for (const char* file : {"colour_4x3.jpg.bmp", "cmyk_2x2.jpg.bmp"}) {
    std::string bytes = ReadBytes(Out(file));
    size_t offset = Le32(bytes, 10);
    EXPECT_LT(static_cast<uint8_t>(bytes[offset + 3]), 60) << file;   // blue
    EXPECT_LT(static_cast<uint8_t>(bytes[offset + 4]), 60) << file;   // green
    EXPECT_GT(static_cast<uint8_t>(bytes[offset + 5]), 200) << file;  // red
  }
  // The grey picture is a gradient from black at the top to white below.
  std::string grey = ReadBytes(Out("grey_5x2.jpg.bmp"));
  size_t offset = Le32(grey, 10);
  EXPECT_GT(static_cast<uint8_t>(grey[offset]), 200);       // bottom row first
  EXPECT_LT(static_cast<uint8_t>(grey[offset + 8]), 60);   // top row (stride 8)
}

TEST_F(DataPicture, BrokenJpegIsRefused) {
  std::string good = ReadBytes(kFixtures / "colour_4x3.jpg");
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty.jpg", ""},
      {"text.jpg", "not a picture at all"},
      {"cut.jpg", good.substr(0, good.size() / 3)},
  };
  for (const Case& c : cases) {
    headless_.folder().Write(c.name, c.bytes);
    EXPECT_FALSE(data::ConvertJpegToBitmap(Out(c.name), Out("x.bmp"))) << c.name;
    EXPECT_FALSE(data::CmdImagem("\"" + Out(c.name) + "\"")) << c.name;
    EXPECT_TRUE(data::CmdImagem("\"" + Out(c.name) + "\" &")) << c.name;
    EXPECT_TRUE(TemporaryFolderEmpty()) << c.name;
  }
  EXPECT_FALSE(data::ConvertJpegToBitmap(Out("missing.jpg"), Out("x.bmp")));
}

TEST_F(DataPicture, ImagemShowsAndLeavesNothingBehind) {
  for (const char* file : {"colour_4x3.jpg", "grey_5x2.jpg", "green_3x2.bmp"}) {
    EXPECT_TRUE(data::CmdImagem("\"" + (kFixtures / file).string() + "\"")) << file;
    EXPECT_TRUE(data::CmdImagem("\"" + (kFixtures / file).string() + "\" 10 20 &")) << file;
    EXPECT_TRUE(TemporaryFolderEmpty()) << file;
  }
  EXPECT_TRUE(data::CmdImagem(""));  // removes the picture
  EXPECT_FALSE(data::CmdImagem("\"" + Out("missing.bmp") + "\""));
  EXPECT_TRUE(data::CmdImagem("\"" + Out("missing.jpg") + "\" &"));
  EXPECT_TRUE(data::CmdImagem("\"\""));  // an empty name only removes
  std::string green = "\"" + (kFixtures / "green_3x2.bmp").string() + "\"";
  EXPECT_FALSE(data::CmdImagem(green + " 10"));       // x without y
  EXPECT_FALSE(data::CmdImagem(green + " 10 20 30"));
  EXPECT_FALSE(data::CmdImagem(green + " \"a\" 20"));
}

}  // namespace
