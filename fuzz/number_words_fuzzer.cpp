// Fuzz target: numbers in words, word keys, and weekdays. The first eight
// bytes make a number; the rest is a words text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "speech/number_words.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint64_t number = 0;
  std::memcpy(&number, data, size < 8 ? size : 8);
  std::string words = speech::NumberToWords(number % 1000000000000000ull);
  speech::WordKeys(words, (number & 1) != 0);
  std::string text(reinterpret_cast<const char*>(data) + (size < 8 ? size : 8), size < 8 ? 0 : size - 8);
  speech::WordKeys(text, (number & 2) != 0);
  speech::WordKey(text);
  int day = static_cast<int>(number % 40), month = static_cast<int>((number >> 8) % 14);
  int year = static_cast<int>((number >> 16) % 20000) - 10000;
  speech::DayOfWeek(day, month, year);
  return 0;
}
