// encodings: the text encodings scripts apply to variables and files.
//
// Pure functions over byte strings: Base64 (RFC 4648 alphabet, "=" padding),
// quoted-printable as MIRANE writes it, and the conversions between the
// system's ANSI code page (Windows-1252) and UTF-8.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace data {

// Standard Base64 of `bytes`, padded with "=" to a multiple of 4; no line
// breaks.
std::string EncodeBase64(std::string_view bytes);
// The same, appended to `out`.
void AppendBase64(std::string_view bytes, std::string& out);

// Incremental Base64 decoding: characters are fed in order; blanks and
// characters outside the alphabet are skipped; the first "=" ends the input.
// Every four alphabet characters give three bytes; Finish adds the bytes a
// final incomplete group completes (two characters one byte, three two).
class Base64Decoder {
 public:
  // Feeds characters; appends decoded bytes to `out`. Returns false once the
  // padding "=" was seen (the rest of `text` is ignored).
  bool Feed(std::string_view text, std::string& out);
  void Finish(std::string& out);
  bool Ended() const { return ended_; }

 private:
  uint32_t group_ = 0;  // up to four 6-bit values
  int count_ = 0;       // values held in group_
  bool ended_ = false;  // "=" seen
};

// DECODBASE64: the bytes the Base64 in `text` stands for, as above.
std::string DecodeBase64(std::string_view text);

// ADQUOTED: bytes 0-31, "=" and 127-255 become "=" and two upper-case hex
// digits; everything else stays; no soft line breaks.
std::string EncodeQuoted(std::string_view text);

// REMOVEQUOTED: one "=" at the very end is dropped; then "=" and two hex
// digits (either case) become that byte; everything else is copied.
std::string DecodeQuoted(std::string_view text);

// ANSIPARAUTF8: Windows-1252 bytes to UTF-8 (the five bytes the code page
// leaves undefined become the C1 control of the same value, so every byte
// survives a round trip).
std::string AnsiToUtf8(std::string_view ansi);

// UTF8PARAANSI: UTF-8 to Windows-1252. A leading byte-order mark is dropped.
// A malformed byte is kept as the Windows-1252 byte of the same value (text
// that was ANSI already comes back unchanged). A character the code page
// lacks becomes its nearest ANSI letter or sign where there is an evident one
// (Latin letters with other accents, dashes, quotes, spaces), else "?".
std::string Utf8ToAnsi(std::string_view utf8);

}  // namespace data
