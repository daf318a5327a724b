// Fuzz target: the decoders scripts feed with any text (DECODBASE64,
// REMOVEQUOTED, UTF8PARAANSI), and the round trips that must give the bytes
// back (Base64, quoted-printable, ANSI through UTF-8).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/encodings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(bytes), size);

  std::string decoded = data::DecodeBase64(input);
  if (decoded.size() > input.size()) __builtin_trap();
  std::string quoted = data::DecodeQuoted(input);
  if (quoted.size() > input.size()) __builtin_trap();
  std::string ansi = data::Utf8ToAnsi(input);
  if (ansi.size() > input.size()) __builtin_trap();

  if (data::DecodeBase64(data::EncodeBase64(input)) != input) __builtin_trap();
  if (data::DecodeQuoted(data::EncodeQuoted(input)) != input) __builtin_trap();
  if (data::Utf8ToAnsi(data::AnsiToUtf8(input)) != input) __builtin_trap();

  // Decoding in pieces gives what decoding at once gives.
  data::Base64Decoder decoder;
  std::string pieces;
  size_t step = size == 0 ? 1 : bytes[0] % 7 + 1;
  for (size_t at = 0; at < size; at += step) decoder.Feed(input.substr(at, step), pieces);
  decoder.Finish(pieces);
  if (pieces != decoded) __builtin_trap();
  return 0;
}
