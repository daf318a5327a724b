// command_text: small helpers the data commands share to take their argument
// text apart.
#pragma once
#include <string>
#include <string_view>

#include "speech/settings.h"

namespace data {

// The text without blanks and control characters at both ends.
inline std::string TrimmedText(std::string_view text) {
  size_t start = 0, end = text.size();
  while (start < end && static_cast<unsigned char>(text[start]) <= 32) ++start;
  while (end > start && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return std::string(text.substr(start, end - start));
}

// The trailing-ampersand step: when the last character is "&", removes it,
// trims the rest and returns true.
inline bool TakeTrailingAmpersand(std::string& text) {
  if (text.empty() || text.back() != '&') return false;
  text.pop_back();
  text = TrimmedText(text);
  return true;
}

// True when the first characters of `text`, upper-cased, are `upper_word`.
inline bool StartsWithKeyword(const std::string& text, std::string_view upper_word) {
  if (text.size() < upper_word.size()) return false;
  return speech::UpperCasePt(text.substr(0, upper_word.size())) == upper_word;
}

}  // namespace data
