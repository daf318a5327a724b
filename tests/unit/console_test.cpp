// The console grid: writing, wrapping, scrolling, clamping and the [VIDEO]
// settings.
#include <gtest/gtest.h>

#include "console/console.h"
#include "test_support.h"

namespace {

using test_support::HeadlessConsole;

std::string Row(int row) {
  std::string text = console::ScreenRow(row);
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

TEST(ConsoleWrite, EightyFirstCharacterWrapsToTheNextRow) {
  HeadlessConsole headless;
  console::ConsoleWrite(std::string(81, 'x'));
  EXPECT_EQ(Row(1), std::string(80, 'x'));
  EXPECT_EQ(Row(2), "x");
  EXPECT_EQ(console::WhereX(), 2);
  EXPECT_EQ(console::WhereY(), 2);
}

TEST(ConsoleWrite, EightyCharactersLeaveTheCursorPastTheEnd) {
  HeadlessConsole headless;
  console::ConsoleWrite(std::string(80, 'y'));
  EXPECT_EQ(console::WhereY(), 1);
  EXPECT_EQ(Row(2), "");
}

TEST(ConsoleWrite, LineFeedOnTheLastRowScrolls) {
  HeadlessConsole headless;
  console::ConsoleWrite("first");
  console::GotoXY(5, 25);
  console::ConsoleWrite("last\n");
  EXPECT_EQ(console::WhereX(), 1);
  EXPECT_EQ(console::WhereY(), 25);
  EXPECT_EQ(Row(24), "    last");
  EXPECT_EQ(Row(25), "");
  EXPECT_EQ(Row(1), "");  // "first" scrolled away
}

TEST(ConsoleWrite, ScrolledRowTakesTheCurrentAttribute) {
  HeadlessConsole headless;
  console::TextBackground(4);
  console::GotoXY(1, 25);
  console::ConsoleWrite("\n");
  EXPECT_EQ(console::ScreenAttr(1, 25) >> 4, 4);
}

TEST(ConsoleWrite, ControlCharacters) {
  HeadlessConsole headless;
  console::ConsoleWrite("ab\tc");  // tab writes nothing and does not move
  EXPECT_EQ(Row(1), "abc");
  console::ConsoleWrite("\b");
  EXPECT_EQ(Row(1), "ab");
  EXPECT_EQ(console::WhereX(), 3);
  console::ConsoleWrite("\rZ");
  EXPECT_EQ(Row(1), "Zb");
  console::GotoXY(1, 3);
  console::ConsoleWrite("\b");  // backspace at column 1 does nothing
  EXPECT_EQ(console::WhereX(), 1);
  console::ConsoleWrite(std::string("\x01\x1b\x0c", 3));
  EXPECT_EQ(console::WhereX(), 1);
  console::ConsoleWrite("\xE7\xE3o");  // Latin-1 bytes are shown as they are
  EXPECT_EQ(Row(3), "\xE7\xE3o");
}

TEST(ConsoleWrite, GotoXYClamps) {
  HeadlessConsole headless;
  struct Case { int column, row, want_column, want_row; };
  for (Case c : {Case{0, 99, 1, 25}, Case{81, 0, 80, 1}, Case{-5, -5, 1, 1}, Case{40, 12, 40, 12}}) {
    console::GotoXY(c.column, c.row);
    EXPECT_EQ(console::WhereX(), c.want_column) << c.column << "," << c.row;
    EXPECT_EQ(console::WhereY(), c.want_row) << c.column << "," << c.row;
  }
}

TEST(ConsoleWrite, ClearToEndOfLine) {
  HeadlessConsole headless;
  console::ConsoleWrite("abcdef");
  console::GotoXY(3, 1);
  console::ClearToEndOfLine();
  EXPECT_EQ(Row(1), "ab");
}

TEST(ConsoleColours, TextColorAndBackgroundSetNibbles) {
  HeadlessConsole headless;
  console::TextColor(12);
  console::TextBackground(1);
  EXPECT_EQ(console::CurrentAttribute(), 0x1C);
  console::TextColor(0x1F);  // only the low nibble counts
  EXPECT_EQ(console::CurrentAttribute(), 0x1F);
  console::ConsoleWrite("x");
  EXPECT_EQ(console::ScreenAttr(1, 1), 0x1F);
}

// Colour numbers of any size are taken modulo 16, with no arithmetic
// overflow on the way (FUNDO 444444444 once overflowed).
TEST(ConsoleColours, HugeColourNumbersWrap) {
  struct Case { int32_t background; uint8_t attribute; };
  const Case cases[] = {
      {444444444, 0xCF},  // 444444444 = 0x1A7DAF1C
      {INT32_MAX, 0xFF},
      {INT32_MIN, 0x0F},
      {-1, 0xFF},
  };
  for (const Case& c : cases) {
    HeadlessConsole headless;
    console::TextBackground(c.background);
    EXPECT_EQ(console::CurrentAttribute(), c.attribute) << c.background;
  }
  HeadlessConsole headless("[VIDEO]\nCORFUNDO=444444444\nCORLETRA=2147483647\n");
  EXPECT_EQ(console::CurrentAttribute(), 0xFF);
}

TEST(ConsoleColours, FixedColoursIgnoreChanges) {
  HeadlessConsole headless("[VIDEO]\r\nCORESFIXAS=s\r\nCORLETRA=2\r\n");
  uint8_t before = console::CurrentAttribute();
  console::TextColor(12);
  console::TextBackground(3);
  EXPECT_EQ(console::CurrentAttribute(), before);
}

TEST(ConsoleSettings, InitialAttribute) {
  struct Case { const char* ini; uint8_t attribute; };
  const Case cases[] = {
      {"", 0x0F},                                      // defaults: white on black
      {"[VIDEO]\nCORLETRA=\n", 0x07},                  // present but empty: 7
      {"[VIDEO]\nCORLETRA=abc\n", 0x00},               // not a number: 0
      {"[VIDEO]\nCORLETRA=12x\nCORFUNDO=1\n", 0x1C},   // the integer prefix
      {"[video]\ncorletra=14\ncorfundo=4\n", 0x4E},     // keys are case-insensitive
  };
  for (const Case& c : cases) {
    HeadlessConsole headless(c.ini);
    EXPECT_EQ(console::CurrentAttribute(), c.attribute) << c.ini;
  }
}

TEST(ConsoleSettings, ColourTable) {
  {
    HeadlessConsole headless("[VIDEO]\nTABCORES=4,1,2\n");
    EXPECT_EQ(console::ColourOf(0).r, 255);  // index 0 shown as palette 4 (red)
    EXPECT_EQ(console::ColourOf(0).g, 0);
    EXPECT_EQ(console::ColourOf(4).r, 255);  // entries after the list keep the identity
  }
  {
    // Blanks after the commas: the second entry is read as "1," and stops the table.
    HeadlessConsole headless("[VIDEO]\nTABCORES=15, 4, 4\n");
    EXPECT_EQ(console::ColourOf(0).b, 255);  // entry 0 set to white
    EXPECT_EQ(console::ColourOf(1).b, 255);  // entry 1 still blue (0,0,255)
    EXPECT_EQ(console::ColourOf(1).r, 0);
  }
  {
    HeadlessConsole headless("[VIDEO]\nTABCORES=20\n");  // above 15: black
    EXPECT_EQ(console::ColourOf(0).r + console::ColourOf(0).g + console::ColourOf(0).b, 0);
  }
}

TEST(ConsoleSettings, MagnificationAndMaximise) {
  struct Case { const char* ini; int factor; bool maximised; };
  const Case cases[] = {
      {"", 2, false},
      {"[VIDEO]\nAMPLIF=8\n", 2, false},
      {"[VIDEO]\nAMPLIF=0\n", 2, false},
      {"[VIDEO]\nAMPLIF=3\n", 3, false},
      {"[VIDEO]\nCANTOTELA=SIM\n", 2, false},
      {"[VIDEO]\nCANTOTELA=NAO\n", 2, true},
  };
  for (const Case& c : cases) {
    HeadlessConsole headless(c.ini);
    EXPECT_EQ(console::Magnification(), c.factor) << c.ini;
    EXPECT_EQ(console::StartsMaximised(), c.maximised) << c.ini;
  }
}

TEST(ConsoleDelay, PassesInVirtualTime) {
  HeadlessConsole headless;
  int64_t before = platform::NowMs();
  console::Delay(65535);
  EXPECT_GE(platform::NowMs() - before, 65535);
}

TEST(ConsoleClipboard, CopyAndPaste) {
  HeadlessConsole headless;
  console::CopyToClipboard("ol\xE1 mundo");
  EXPECT_EQ(console::PasteFromClipboard(100), "ol\xE1 mundo");
  EXPECT_EQ(console::PasteFromClipboard(4), "ol\xE1");
  EXPECT_EQ(console::PasteFromClipboard(0), "");
}

TEST(ConsolePicture, LoadsOnlyFortyByteInfoHeaders) {
  HeadlessConsole headless;
  // A 2x1 24-bit BMP.
  std::string bmp = "BM";
  auto le32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) bmp += static_cast<char>((v >> (8 * i)) & 0xFF); };
  auto le16 = [&](uint16_t v) { bmp += static_cast<char>(v & 0xFF); bmp += static_cast<char>(v >> 8); };
  le32(62); le32(0); le32(54);
  le32(40); le32(2); le32(1); le16(1); le16(24); le32(0); le32(8); le32(0); le32(0); le32(0); le32(0);
  bmp += std::string("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8);
  headless.folder().Write("ok.bmp", bmp);
  std::string bad = bmp;
  bad[14] = 12;  // an old 12-byte core header
  headless.folder().Write("old.bmp", bad);
  headless.folder().Write("short.bmp", bmp.substr(0, 58));
  EXPECT_TRUE(console::LoadPicture((headless.folder().path() / "ok.bmp").string()));
  EXPECT_FALSE(console::LoadPicture((headless.folder().path() / "old.bmp").string()));
  EXPECT_FALSE(console::LoadPicture((headless.folder().path() / "short.bmp").string()));
  EXPECT_FALSE(console::LoadPicture((headless.folder().path() / "missing.bmp").string()));
}

}  // namespace
