// Tests of the pure encodings: Base64 both ways, quoted-printable, and the
// ANSI/UTF-8 conversions.
#include "data/encodings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Pair {
  std::string plain, encoded;
};

TEST(DataBase64, EncodesGroupsAndPadding) {
  const Pair cases[] = {
      {"", ""},
      {"M", "TQ=="},
      {"Ma", "TWE="},
      {"Man", "TWFu"},
      {"foobar", "Zm9vYmFy"},
      {std::string("\0\xFF\xFE", 3), "AP/+"},
      {"\xE3o", "428="},
  };
  for (const Pair& c : cases) {
    EXPECT_EQ(data::EncodeBase64(c.plain), c.encoded) << c.plain;
    EXPECT_EQ(data::DecodeBase64(c.encoded), c.plain) << c.encoded;
  }
}

TEST(DataBase64, DecodingSkipsAndStops) {
  const Pair cases[] = {
      {"Man", "TW Fu"},              // blanks skipped
      {"Man", "T\r\nW*F!u"},         // line breaks and strangers skipped
      {"M", "TQ==TWFu"},             // the first "=" ends the text
      {"Ma", "TWE"},                 // three characters complete two bytes
      {"M", "TQ"},                   // two complete one
      {"Man", "TWFuT"},              // a lone last character gives nothing
      {"", "=TWFu"},
  };
  for (const Pair& c : cases) EXPECT_EQ(data::DecodeBase64(c.encoded), c.plain) << c.encoded;
}

TEST(DataBase64, AllBytesRoundTrip) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  for (size_t length = 0; length <= all.size(); length += 37)
    EXPECT_EQ(data::DecodeBase64(data::EncodeBase64(all.substr(0, length))), all.substr(0, length));
}

TEST(DataBase64, IncrementalDecoderMatchesWholeText) {
  const std::string encoded = data::EncodeBase64("incremental decoding in pieces of any size");
  for (size_t piece = 1; piece <= 7; ++piece) {
    data::Base64Decoder decoder;
    std::string out;
    for (size_t at = 0; at < encoded.size(); at += piece) decoder.Feed(encoded.substr(at, piece), out);
    decoder.Finish(out);
    EXPECT_EQ(out, "incremental decoding in pieces of any size") << piece;
  }
}

TEST(DataQuoted, EncodesControlsEqualsAndHighBytes) {
  const Pair cases[] = {
      {"\xE3", "=E3"},
      {"a=b", "a=3Db"},
      {"linha\r\n", "linha=0D=0A"},
      {"\t~\x7F", "=09~=7F"},
      {"plain text 123", "plain text 123"},
      {std::string("\0", 1), "=00"},
  };
  for (const Pair& c : cases) {
    EXPECT_EQ(data::EncodeQuoted(c.plain), c.encoded);
    EXPECT_EQ(data::DecodeQuoted(c.encoded), c.plain);
  }
}

TEST(DataQuoted, DecodingKeepsWhatIsNotAnEscape) {
  const Pair cases[] = {
      {"\xE3", "=e3"},        // lower-case digits
      {"abc", "abc="},        // the "=" at the very end goes
      {"ab=", "ab=="},        // only one of them
      {"=G1", "=G1"},         // not hexadecimal
      {"x=4", "x=4"},         // too short
      {"=", "=3D="},
      {"", "="},
  };
  for (const Pair& c : cases) EXPECT_EQ(data::DecodeQuoted(c.encoded), c.plain) << c.encoded;
}

TEST(DataQuoted, EveryByteRoundTrips) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  EXPECT_EQ(data::DecodeQuoted(data::EncodeQuoted(all)), all);
}

// Every Latin-1 letter with its UTF-8 form, as the code page 1252 maps them.
TEST(DataUtf8, LatinLettersBothWays) {
  const Pair cases[] = {
      {"\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7", "ÀÁÂÃÄÅÆÇ"},
      {"\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF", "ÈÉÊËÌÍÎÏ"},
      {"\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD8", "ÐÑÒÓÔÕÖØ"},
      {"\xD9\xDA\xDB\xDC\xDD\xDE\xDF", "ÙÚÛÜÝÞß"},
      {"\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7", "àáâãäåæç"},
      {"\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF", "èéêëìíîï"},
      {"\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF8", "ðñòóôõöø"},
      {"\xF9\xFA\xFB\xFC\xFD\xFE\xFF", "ùúûüýþÿ"},
      {"\x8A\x8C\x8E\x9A\x9C\x9E\x9F", "ŠŒŽšœžŸ"},
      {"\x80\x93\x94\x96\x97", "€“”–—"},
  };
  for (const Pair& c : cases) {
    EXPECT_EQ(data::AnsiToUtf8(c.plain), c.encoded);
    EXPECT_EQ(data::Utf8ToAnsi(c.encoded), c.plain);
  }
}

TEST(DataUtf8, EveryByteRoundTrips) {
  std::string all;
  for (int i = 1; i < 256; ++i) all += static_cast<char>(i);
  EXPECT_EQ(data::Utf8ToAnsi(data::AnsiToUtf8(all)), all);
}

TEST(DataUtf8, CharactersTheCodePageLacks) {
  const Pair table[] = {
      {"L\xF3" "dz", "Łódź"},           // Latin Extended-A letters lose their accent
      {"Dvor\xE1k", "Dvořák"},
      {"a-b", "a‐b"},                    // hyphen U+2010
      {"a b", "a b"},                   // thin space U+2009
      {"ab", "a​b"},                     // zero-width space dropped
      {"x?y", "x中y"},                   // nothing near: "?"
      {"?", "😀"},
  };
  for (const Pair& c : table) EXPECT_EQ(data::Utf8ToAnsi(c.encoded), c.plain) << c.encoded;
}

TEST(DataUtf8, DecomposedLettersAreComposed) {
  const Pair cases[] = {
      {"\xE3", "a\xCC\x83"},        // a + combining tilde
      {"\xC7\xE3o", "C\xCC\xA7" "a\xCC\x83o"},
      {"\x9A", "s\xCC\x8C"},        // s + caron
      {"e", "e\xCC\x87"},           // a mark with no ANSI letter is dropped
      {"1", "1\xCC\x81"},           // marks after a non-letter are dropped
  };
  for (const Pair& c : cases) EXPECT_EQ(data::Utf8ToAnsi(c.encoded), c.plain) << c.encoded;
}

TEST(DataUtf8, MalformedBytesAreKept) {
  const Pair cases[] = {
      {"\xE3o", "\xE3o"},            // ANSI text given as UTF-8 comes back unchanged
      {"a\xC3", "a\xC3"},            // truncated sequence at the end
      {"\xC0\xAF", "\xC0\xAF"},      // overlong form
      {"\xED\xA0\x80", "\xED\xA0\x80"},  // surrogate
      {"\xE3", "\xEF\xBB\xBF\xC3\xA3"},  // byte-order mark dropped
  };
  for (const Pair& c : cases) EXPECT_EQ(data::Utf8ToAnsi(c.encoded), c.plain);
}

}  // namespace
