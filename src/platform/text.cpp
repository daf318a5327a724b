#include "platform/text.h"

namespace platform {
namespace {

// Code points of Windows-1252 bytes 0x80-0x9F.
const char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

int CodePointToCp1252(long cp) {
  if (cp < 0) return -1;
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == static_cast<char32_t>(cp)) return 0x80 + i;
  return -1;
}

}  // namespace

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size() + latin1.size() / 4);
  for (unsigned char c : latin1) {
    if (c < 0x80) out += static_cast<char>(c);
    else if (c < 0xA0) AppendUtf8(out, kCp1252High[c - 0x80]);
    else AppendUtf8(out, c);
  }
  return out;
}

long DecodeUtf8(std::string_view s, size_t& pos) {
  unsigned char c = static_cast<unsigned char>(s[pos]);
  int extra;
  long cp;
  if (c < 0x80) { ++pos; return c; }
  if (c >= 0xC2 && c <= 0xDF) { extra = 1; cp = c & 0x1F; }
  else if (c >= 0xE0 && c <= 0xEF) { extra = 2; cp = c & 0x0F; }
  else if (c >= 0xF0 && c <= 0xF4) { extra = 3; cp = c & 0x07; }
  else { ++pos; return -1; }
  if (pos + extra >= s.size()) { ++pos; return -1; }  // truncated sequence
  for (int i = 1; i <= extra; ++i) {
    unsigned char d = static_cast<unsigned char>(s[pos + i]);
    if ((d & 0xC0) != 0x80) { ++pos; return -1; }
    cp = (cp << 6) | (d & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are malformed.
  if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return -1;
  }
  pos += extra + 1;
  return cp;
}

std::string Utf8ToLatin1(std::string_view utf8, char replacement) {
  std::string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  if (utf8.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
  while (pos < utf8.size()) {
    size_t start = pos;
    long cp = DecodeUtf8(utf8, pos);
    if (cp < 0) {
      out += utf8[start];
      continue;
    }
    int byte = CodePointToCp1252(cp);
    out += byte < 0 ? replacement : static_cast<char>(byte);
  }
  return out;
}

bool IsUtf8Text(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return true;
  bool multibyte = false;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t start = pos;
    long cp = DecodeUtf8(bytes, pos);
    if (cp < 0) return false;
    if (pos - start > 1) multibyte = true;
  }
  return multibyte;
}

}  // namespace platform
