// Base64, quoted-printable and the ANSI/UTF-8 conversions.
#include "data/encodings.h"

#include <array>

#include "platform/text.h"

namespace data {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kHexDigits[] = "0123456789ABCDEF";

constexpr uint8_t kSkip = 64;     // blank or a character outside the alphabet
constexpr uint8_t kPadding = 65;  // "="

// The value of every byte in Base64: 0-63, kSkip or kPadding.
constexpr std::array<uint8_t, 256> MakeDecodeTable() {
  std::array<uint8_t, 256> table{};
  for (auto& value : table) value = kSkip;
  for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<uint8_t>(i);
  table['='] = kPadding;
  return table;
}
constexpr std::array<uint8_t, 256> kDecodeTable = MakeDecodeTable();

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Nearest ANSI letter of each character of Latin Extended-A (U+0100-U+017F);
// "?" where the code page holds the character itself (looked up first) or
// has nothing near it.
const char kLatinExtendedA[] =
    "AaAaAaCcCcCcCcDd"
    "DdEeEeEeEeEeGgGg"
    "GgGgHhHhIiIiIiIi"
    "Ii??JjKkkLlLlLlL"
    "lLlNnNnNnnNnOoOo"
    "Oo??RrRrRrSsSsSs"
    "??TtTtTtUuUuUuUu"
    "UuUuWwYy?ZzZz??s";
static_assert(sizeof kLatinExtendedA == 129, "one letter for each of U+0100-U+017F");

// The Windows-1252 byte of a code point, or -1 when the code page lacks it.
int ExactAnsi(long code_point) {
  // Code points of Windows-1252 bytes 0x80-0x9F; the five undefined bytes
  // stand for the C1 controls of the same value.
  static const char32_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) return static_cast<int>(code_point);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == static_cast<char32_t>(code_point)) return 0x80 + i;
  return -1;
}

// The nearest ANSI text of a character the code page lacks: a byte, or -2
// for "drop it" (invisible characters), or -1 for none.
int NearestAnsi(long code_point) {
  if (code_point >= 0x100 && code_point <= 0x17F) {
    char letter = kLatinExtendedA[code_point - 0x100];
    return letter == '?' ? -1 : letter;
  }
  if (code_point >= 0x2000 && code_point <= 0x200A) return ' ';  // typographic spaces
  switch (code_point) {
    case 0x200B: case 0x200C: case 0x200D: case 0x2060: case 0xFEFF:
      return -2;  // zero-width characters
    case 0x202F: return 0xA0;  // narrow no-break space
    case 0x2010: case 0x2011: case 0x2012: case 0x2015: case 0x2212: return '-';
    case 0x2024: return '.';
    case 0x2032: return '\'';
    case 0x2033: return '"';
    case 0x2044: case 0x2215: return '/';
    default: return -1;
  }
}

// The accented ANSI letter made of an ASCII `base` and a combining mark
// (text in decomposed form), or -1 when the code page has none.
int Compose(unsigned char base, long mark) {
  // Upper-case letters of the code page by base and mark; the lower-case
  // ones are 32 higher.
  struct Composition {
    char base;
    long mark;
    unsigned char upper;
  };
  static const Composition kCompositions[] = {
      {'A', 0x300, 0xC0}, {'A', 0x301, 0xC1}, {'A', 0x302, 0xC2}, {'A', 0x303, 0xC3},
      {'A', 0x308, 0xC4}, {'A', 0x30A, 0xC5}, {'C', 0x327, 0xC7}, {'E', 0x300, 0xC8},
      {'E', 0x301, 0xC9}, {'E', 0x302, 0xCA}, {'E', 0x308, 0xCB}, {'I', 0x300, 0xCC},
      {'I', 0x301, 0xCD}, {'I', 0x302, 0xCE}, {'I', 0x308, 0xCF}, {'N', 0x303, 0xD1},
      {'O', 0x300, 0xD2}, {'O', 0x301, 0xD3}, {'O', 0x302, 0xD4}, {'O', 0x303, 0xD5},
      {'O', 0x308, 0xD6}, {'U', 0x300, 0xD9}, {'U', 0x301, 0xDA}, {'U', 0x302, 0xDB},
      {'U', 0x308, 0xDC}, {'Y', 0x301, 0xDD}};
  bool lower = base >= 'a' && base <= 'z';
  char upper = static_cast<char>(lower ? base - 32 : base);
  if (upper == 'S' && mark == 0x30C) return lower ? 0x9A : 0x8A;
  if (upper == 'Z' && mark == 0x30C) return lower ? 0x9E : 0x8E;
  if (upper == 'Y' && mark == 0x308) return lower ? 0xFF : 0x9F;
  for (const Composition& composition : kCompositions)
    if (composition.base == upper && composition.mark == mark)
      return lower ? composition.upper + 32 : composition.upper;
  return -1;
}

bool IsCombiningMark(long code_point) { return code_point >= 0x300 && code_point <= 0x36F; }

}  // namespace

void AppendBase64(std::string_view bytes, std::string& out) {
  size_t start = out.size();
  out.resize(start + (bytes.size() + 2) / 3 * 4);
  char* to = out.data() + start;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    uint32_t group = (static_cast<uint32_t>(data[i]) << 16) | (data[i + 1] << 8) | data[i + 2];
    *to++ = kAlphabet[group >> 18];
    *to++ = kAlphabet[(group >> 12) & 63];
    *to++ = kAlphabet[(group >> 6) & 63];
    *to++ = kAlphabet[group & 63];
  }
  size_t left = bytes.size() - i;
  if (left > 0) {
    uint32_t group = static_cast<uint32_t>(data[i]) << 16;
    if (left == 2) group |= data[i + 1] << 8;
    *to++ = kAlphabet[group >> 18];
    *to++ = kAlphabet[(group >> 12) & 63];
    *to++ = left == 2 ? kAlphabet[(group >> 6) & 63] : '=';
    *to++ = '=';
  }
}

std::string EncodeBase64(std::string_view bytes) {
  std::string out;
  AppendBase64(bytes, out);
  return out;
}

bool Base64Decoder::Feed(std::string_view text, std::string& out) {
  if (ended_) return false;
  for (char c : text) {
    uint8_t value = kDecodeTable[static_cast<unsigned char>(c)];
    if (value == kSkip) continue;
    if (value == kPadding) {
      ended_ = true;
      return false;
    }
    group_ = (group_ << 6) | value;
    if (++count_ == 4) {
      out += static_cast<char>(group_ >> 16);
      out += static_cast<char>((group_ >> 8) & 0xFF);
      out += static_cast<char>(group_ & 0xFF);
      group_ = 0;
      count_ = 0;
    }
  }
  return true;
}

void Base64Decoder::Finish(std::string& out) {
  if (count_ >= 2) {
    uint32_t group = group_ << (6 * (4 - count_));
    out += static_cast<char>(group >> 16);
    if (count_ == 3) out += static_cast<char>((group >> 8) & 0xFF);
  }
  group_ = 0;
  count_ = 0;
}

std::string DecodeBase64(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 4 * 3 + 3);
  Base64Decoder decoder;
  decoder.Feed(text, out);
  decoder.Finish(out);
  return out;
}

std::string EncodeQuoted(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == '=' || byte >= 127) {
      out += '=';
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string DecodeQuoted(std::string_view text) {
  if (!text.empty() && text.back() == '=') text.remove_suffix(1);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '=' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string AnsiToUtf8(std::string_view ansi) { return platform::Latin1ToUtf8(ansi); }

std::string Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  if (utf8.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
  bool after_ascii_letter = false;  // the last byte written may take a combining mark
  while (pos < utf8.size()) {
    size_t start = pos;
    long code_point = platform::DecodeUtf8(utf8, pos);
    if (code_point < 0) {
      out += utf8[start];  // malformed: keep the byte as it was
      after_ascii_letter = false;
      continue;
    }
    if (IsCombiningMark(code_point)) {
      if (after_ascii_letter) {
        int composed = Compose(static_cast<unsigned char>(out.back()), code_point);
        if (composed >= 0) out.back() = static_cast<char>(composed);
      }
      after_ascii_letter = false;  // a second mark is dropped
      continue;
    }
    int byte = ExactAnsi(code_point);
    if (byte < 0) byte = NearestAnsi(code_point);
    if (byte == -2) continue;
    out += byte < 0 ? '?' : static_cast<char>(byte);
    unsigned char written = static_cast<unsigned char>(out.back());
    after_ascii_letter = (written >= 'A' && written <= 'Z') || (written >= 'a' && written <= 'z');
  }
  return out;
}

}  // namespace data
