// text: conversions between the system's Latin-1 (Windows-1252) bytes and
// UTF-8, used only at the edges (terminal, window font, logs, clipboard,
// file names on disk).
#pragma once
#include <string>
#include <string_view>

namespace platform {

// Windows-1252 bytes to UTF-8. The five bytes that code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control of the same value.
std::string Latin1ToUtf8(std::string_view latin1);

// UTF-8 to Windows-1252. A character the code page lacks becomes `replacement`;
// each malformed byte is taken as the Windows-1252 byte of the same value, so
// text that only looked like UTF-8 is not lost.
std::string Utf8ToLatin1(std::string_view utf8, char replacement = '?');

// True when `bytes` is well-formed UTF-8 holding at least one multi-byte
// sequence, or begins with the UTF-8 byte-order mark.
bool IsUtf8Text(std::string_view bytes);

// Decodes one UTF-8 character at `pos`; returns its code point and advances
// `pos`, or returns -1 (advancing by one byte) when malformed.
long DecodeUtf8(std::string_view bytes, size_t& pos);

}  // namespace platform
