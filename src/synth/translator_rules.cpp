// The letter-to-sound stage of the diphone translator. Map: character
// classes; the accent table; loading rules and exceptions; text preparation;
// words (reading, exceptions, stress); rule matching; TextToPhonemes.
#include "synth/translator_rules.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "platform/files.h"

namespace synth {
namespace {

// --- character classes -----------------------------------------------------------

bool IsVowel(unsigned char c) {
  switch (c) {
    case 'A': case 'E': case 'I': case 'O': case 'U':
    case 'a': case 'e': case 'i': case 'o': case 'u':
      return true;
    default:
      return false;
  }
}
bool IsConsonant(unsigned char c) {
  if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 32);
  return c >= 'B' && c <= 'Z' && !IsVowel(c);
}
bool IsLetter(unsigned char c) { return IsVowel(c) || IsConsonant(c); }
// The accent marks the text preparation writes after a vowel.
bool IsMark(unsigned char c) { return c == '"' || c == '\'' || c == '^' || c == '`' || c == '~'; }
bool IsWordCharacter(unsigned char c) { return IsLetter(c) || IsMark(c); }
bool IsPunctuation(unsigned char c) {
  return c == ' ' || c == '!' || c == ',' || c == '.' || c == ':' || c == ';' || c == '?';
}
bool IsEI(unsigned char c) { return c == 'e' || c == 'E' || c == 'i' || c == 'I'; }
bool IsAO(unsigned char c) { return c == 'a' || c == 'A' || c == 'o' || c == 'O'; }
bool IsLMNRZ(unsigned char c) {
  c = static_cast<unsigned char>(c | 0x20);
  return c == 'l' || c == 'm' || c == 'n' || c == 'r' || c == 'z';
}
unsigned char Upper(unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c; }
unsigned char Lower(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }

// --- the accent table --------------------------------------------------------------

// Replacement of each byte 128-255; null: no replacement (becomes " \1 ").
// "\xA7", "\xAA", "\xB0" and "\xBA" stand for themselves.
const char* const kAccents[128] = {
    // 128-143
    "ss", "u\"", "e'", "a^", "a~", "a`", "a'", "ss", "e^", "e\"", "e`", "i\"", "i^", "i`", "a~", "a'",
    // 144-159
    "e'", "ae", "-", "o^", "o~", "o`", "u^", "u`", "y-", "o~", "u\"", nullptr, nullptr, nullptr, nullptr, nullptr,
    // 160-175
    "a'", "i'", "o'", "u'", "nh", "nh", nullptr, "\xA7", "?", nullptr, "\xAA", "\xAA", nullptr, "!", "\"", "\"",
    // 176-191 (the degree sign and the masculine ordinal stand for themselves,
    // so they are said by name)
    "\xB0", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "\xBA", "\xBA",
    nullptr, nullptr, nullptr, "?",
    // 192-207
    "a`", "a'", "a^", "a~", "a~", "a", "ae", "ss", "e`", "e'", "e^", "e\"", "i`", "i'", "i^", "i\"",
    // 208-223
    nullptr, "nh", "o`", "o'", "o^", "o~", "o`", "x", "0", "u`", "u'", "u^", "u", nullptr, nullptr, nullptr,
    // 224-239
    "a`", "a'", "a^", "a~", "a~", "a", "ae", "ss", "e`", "e'", "e^", "e\"", "i`", "i'", "i^", "i\"",
    // 240-255
    nullptr, "nh", "o`", "o'", "o^", "o~", "o`", "x", "0", "u`", "u'", "u^", "u", nullptr, nullptr, nullptr,
};

// --- tables --------------------------------------------------------------------------

struct Rule {
  std::string left;    // read right to left from before the match
  std::string match;   // upper case, never empty
  std::string right;   // read left to right after the match
  std::string output;  // phoneme text
};

constexpr int kFirstRuleCharacter = 32;
constexpr int kLastRuleCharacter = 95;
constexpr size_t kMaximumExceptions = 15000;
// Longest word the word buffer holds; a longer run of letters is read as
// several words.
constexpr size_t kLongestWord = 256;

struct Tables {
  std::vector<Rule> rules[kLastRuleCharacter - kFirstRuleCharacter + 1];
  std::vector<std::pair<std::string, std::string>> exceptions;  // sorted by word
};

Tables& T() {
  static Tables tables;
  return tables;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads the lines of a file (without line ends); false when it cannot be
// opened.
bool ReadLines(const std::string& file_name, std::vector<std::string>& lines) {
  std::string contents;
  if (!platform::files::ReadAll(file_name, contents)) return false;
  size_t at = 0;
  while (at < contents.size()) {
    size_t end = contents.find('\n', at);
    if (end == std::string::npos) end = contents.size();
    std::string line = contents.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    at = end + 1;
  }
  return true;
}

// --- words ---------------------------------------------------------------------------

struct Word {
  std::string text;  // lower-case letters and marks
  int vowels = 0;
  bool accented = false;  // an acute, grave, circumflex or tilde was read
};

// Reads the next word at `at` of prepared text; false at the end.
bool ReadWord(const std::string& text, size_t& at, Word& word) {
  while (at < text.size() && text[at] == ' ') ++at;
  if (at >= text.size()) return false;
  word = Word();
  unsigned char first = static_cast<unsigned char>(text[at]);
  if (!IsLetter(first)) {
    word.text = std::string(1, static_cast<char>(first));
    ++at;
    return true;
  }
  while (at < text.size() && IsWordCharacter(static_cast<unsigned char>(text[at])) &&
         word.text.size() < kLongestWord) {
    unsigned char c = Lower(static_cast<unsigned char>(text[at]));
    word.text += static_cast<char>(c);
    if (IsVowel(c)) ++word.vowels;
    ++at;
    if (at < text.size() && IsMark(static_cast<unsigned char>(text[at])) && text[at] != '"') word.accented = true;
  }
  return true;
}

const std::string* FindException(const std::string& word) {
  const auto& table = T().exceptions;
  auto found = std::lower_bound(table.begin(), table.end(), word,
                                [](const auto& entry, const std::string& key) { return entry.first < key; });
  if (found == table.end() || found->first != word) return nullptr;
  return &found->second;
}

// --- rule matching -------------------------------------------------------------------

// `word` is 1-based through these helpers: At(0) and At(n + 1) are outside.
class RuleWord {
 public:
  explicit RuleWord(const std::string& text) : text_(text) {}
  int Length() const { return static_cast<int>(text_.size()); }
  bool Inside(int q) const { return q >= 1 && q <= Length(); }
  unsigned char At(int q) const { return Inside(q) ? static_cast<unsigned char>(text_[q - 1]) : 0; }

 private:
  const std::string& text_;
};

bool MatchHolds(const RuleWord& word, int p, const std::string& match) {
  for (size_t i = 0; i < match.size(); ++i) {
    int q = p + static_cast<int>(i);
    if (!word.Inside(q) || Upper(word.At(q)) != static_cast<unsigned char>(match[i])) return false;
  }
  return true;
}

bool RightHolds(const RuleWord& word, int q, const std::string& pattern) {
  const int n = word.Length();
  for (char symbol : pattern) {
    unsigned char c = word.At(q);
    switch (symbol) {
      case '#':
        if (!word.Inside(q) || !(IsVowel(c) || IsMark(c))) return false;
        while (word.Inside(q) && (IsVowel(word.At(q)) || IsMark(word.At(q)))) ++q;
        break;
      case '%':
        if (word.Inside(q)) return false;
        break;
      case '&':
        if (q > n || !word.Inside(q) || !IsLMNRZ(c)) return false;
        ++q;
        break;
      case '*':
        if (!word.Inside(q) || !IsConsonant(c) || Lower(c) == 'r' || Lower(c) == 'l') return false;
        break;
      case '+':
        if (!word.Inside(q) || !IsEI(c)) return false;
        q += IsMark(word.At(q + 1)) ? 2 : 1;
        break;
      case '[':
        if (q != n + 1 && !(word.Inside(q) && IsConsonant(c) && Lower(c) != 'h')) return false;
        break;
      case '\\':
        if (word.Inside(q) && Lower(c) == 's') ++q;
        break;
      default:
        if (!word.Inside(q) || Upper(c) != static_cast<unsigned char>(symbol)) return false;
        ++q;
        break;
    }
  }
  return true;
}

bool LeftHolds(const RuleWord& word, int q, const std::string& pattern) {
  for (auto it = pattern.rbegin(); it != pattern.rend(); ++it) {
    unsigned char c = word.At(q);
    switch (*it) {
      case '#':
        if (!word.Inside(q) || !(IsVowel(c) || IsMark(c))) return false;
        while (word.Inside(q) && (IsVowel(word.At(q)) || IsMark(word.At(q)))) --q;
        break;
      case '%':
        if (word.Inside(q)) return false;
        break;
      case ']':
        if (!word.Inside(q)) return false;
        if (IsAO(c)) --q;
        else if (IsMark(c) && IsAO(word.At(q - 1))) q -= 2;
        else return false;
        break;
      case '_':
        if (q == 0) break;
        if (!word.Inside(q)) return false;
        if (IsVowel(c)) --q;
        else if (IsMark(c) && IsVowel(word.At(q - 1))) q -= 2;
        else return false;
        break;
      case '|': {
        unsigned char l = Lower(c);
        if (!word.Inside(q) || !(l == 'n' || l == 'r' || l == 's')) return false;
        --q;
        break;
      }
      default:
        if (!word.Inside(q) || Upper(c) != static_cast<unsigned char>(*it)) return false;
        --q;
        break;
    }
  }
  return true;
}

// The phonemes of one word, by the rules: "[k/A/ z/a^]".
std::string Translate(const std::string& text) {
  RuleWord word(text);
  const int n = word.Length();
  std::string out = "[";
  int p = 1;
  while (p <= n) {
    unsigned char c = Upper(word.At(p));
    std::string output = std::string(" /_") + static_cast<char>(c);
    int advance = 1;
    if (c >= kFirstRuleCharacter && c <= kLastRuleCharacter) {
      for (const Rule& rule : T().rules[c - kFirstRuleCharacter]) {
        if (MatchHolds(word, p, rule.match) && LeftHolds(word, p - 1, rule.left) &&
            RightHolds(word, p + static_cast<int>(rule.match.size()), rule.right)) {
          output = rule.output;
          advance = static_cast<int>(rule.match.size());
          break;
        }
      }
    }
    unsigned char here = word.At(p);
    if (here >= 'A' && here <= 'Z' && IsVowel(here)) {
      for (char& o : output) {
        if (IsVowel(static_cast<unsigned char>(o))) {
          o = static_cast<char>(Upper(static_cast<unsigned char>(o)));
          break;
        }
      }
    }
    out += output;
    p += advance;
    if (p <= n) out += '/';
  }
  return out + "]";
}

std::string LetterByLetter(const std::string& text) {
  std::string out;
  for (char c : text) out += std::string("[ /_") + c + "]";
  return out;
}

bool ReadLetterByLetter(const std::string& text) {
  if (!text.empty() && text[0] == '\x01') return true;
  for (char c : text)
    if (!IsConsonant(static_cast<unsigned char>(c)) && !IsPunctuation(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace

// --- loading -------------------------------------------------------------------------

bool LoadTranslatorRules(const std::string& file_name) {
  std::vector<std::string> lines;
  if (!ReadLines(file_name, lines)) return false;
  for (auto& list : T().rules) list.clear();
  for (const std::string& line : lines) {
    // Lines starting with ";" are comments; a line without "(", ")" and "="
    // in order, or with an empty match, or a match starting outside the
    // rule characters, is not a rule.
    if (line.empty() || line[0] == ';') continue;
    size_t open = line.find('(');
    if (open == std::string::npos) continue;
    size_t close = line.find(')', open + 1);
    if (close == std::string::npos) continue;
    size_t equals = line.find('=', close + 1);
    if (equals == std::string::npos) continue;
    size_t bar = line.find('|', equals + 1);
    Rule rule;
    rule.left = line.substr(0, open).substr(0, 5);
    rule.match = line.substr(open + 1, close - open - 1).substr(0, 5);
    rule.right = line.substr(close + 1, equals - close - 1).substr(0, 5);
    rule.output = line.substr(equals + 1, bar == std::string::npos ? std::string::npos : bar - equals - 1).substr(0, 11);
    if (rule.match.empty()) continue;
    unsigned char first = static_cast<unsigned char>(rule.match[0]);
    if (first < kFirstRuleCharacter || first > kLastRuleCharacter) continue;
    T().rules[first - kFirstRuleCharacter].push_back(std::move(rule));
  }
  return true;
}

bool LoadTranslatorExceptions(const std::string& file_name) {
  std::vector<std::string> lines;
  if (!ReadLines(file_name, lines)) return false;
  auto& table = T().exceptions;
  table.clear();
  for (std::string line : lines) {
    if (table.size() >= kMaximumExceptions) break;
    line = line.substr(0, 255);
    if (line.empty()) continue;
    line += "|=|";
    size_t equals = line.find('=');
    size_t bar = line.find('|', equals + 1);
    table.emplace_back(line.substr(0, equals), line.substr(equals + 1, bar - equals - 1));
  }
  std::stable_sort(table.begin(), table.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  return true;
}

void FreeTranslatorRules() {
  for (auto& list : T().rules) {
    list.clear();
    list.shrink_to_fit();
  }
  T().exceptions.clear();
  T().exceptions.shrink_to_fit();
}

// --- stages ----------------------------------------------------------------------------

std::string PrepareText(const std::string& original) {
  std::string text = original;
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    bool letter_before = i > 0 && IsLetter(static_cast<unsigned char>(text[i - 1]));
    bool letter_after = i + 1 < text.size() && IsLetter(static_cast<unsigned char>(text[i + 1]));
    if ((c == 'W' || c == 'w') && (letter_before || letter_after)) text[i] = 'u';
    else if ((c == 'Y' || c == 'y') && (letter_before || letter_after)) text[i] = 'i';
    c = static_cast<unsigned char>(text[i]);
    if (c == '\'' && i > 0 && (text[i - 1] == 'd' || text[i - 1] == 'D')) continue;
    if (c < 32) continue;
    if (c >= 128) {
      const char* replacement = kAccents[c - 128];
      out += replacement ? replacement : " \x01 ";
      continue;
    }
    out += static_cast<char>(c);
  }
  return out;
}

std::string ApplyTranslatorExceptions(const std::string& original) {
  std::string word = original;
  std::string removed;
  while (!word.empty()) {
    if (const std::string* respelling = FindException(word)) return *respelling + removed;
    char last = word.back();
    if (last != 's' && last != 'm') break;
    removed.insert(removed.begin(), last);
    word.pop_back();
  }
  return original;
}

std::string MarkStress(const std::string& original) {
  std::string word = original;
  enum class State { Start, Oxytone, MFinal, SFinal, VowelFinal, IUFinal, PenultIU, MarkNext, MarkSecond };
  const int n = static_cast<int>(word.size());
  auto at = [&](int i) -> unsigned char { return i >= 0 && i < n ? static_cast<unsigned char>(word[i]) : 0; };
  auto mark = [&](int i) {
    if (i >= 0 && i < n) word[i] = static_cast<char>(Upper(static_cast<unsigned char>(word[i])));
  };
  // A silent u: after g or q, before e or i.
  auto silent_u = [&](int i) { return at(i) == 'u' && (at(i - 1) == 'g' || at(i - 1) == 'q'); };
  State state = State::Start;
  for (int h = n - 1; h >= 0; --h) {
    unsigned char c = at(h);
    switch (state) {
      case State::Start:
        if (c == 'a' || c == 'e' || c == 'o') state = State::VowelFinal;
        else if (c == 'i' || c == 'u') state = State::IUFinal;
        else if (c == 'l' || c == 'n' || c == 'r' || c == 'x' || c == 'z') state = State::Oxytone;
        else if (c == 'm') state = State::MFinal;
        else if (c == 's') state = State::SFinal;
        break;
      case State::Oxytone:
        if (IsVowel(c)) state = State::MarkNext;
        break;
      case State::MFinal:
        if (c == 'a' || c == 'e') state = State::VowelFinal;
        else if (c == 'i' || c == 'u') state = State::IUFinal;
        else if (c == 'o') state = State::MarkNext;
        break;
      case State::SFinal:
        if (c == 'a' || c == 'e' || c == 'o') state = State::VowelFinal;
        else if (c == 'i' || c == 'u') state = State::IUFinal;
        break;
      case State::VowelFinal:
        // The silent u of "que" and "gue" is no vowel: parque, sangue.
        if (silent_u(h)) break;
        if (c == 'a' || c == 'e' || c == 'o') state = State::MarkNext;
        else if (c == 'i' || c == 'u') state = State::PenultIU;
        break;
      case State::IUFinal:
        state = (IsConsonant(c) || silent_u(h)) ? State::MarkSecond : State::MarkNext;
        break;
      case State::PenultIU: {
        unsigned char two = at(h + 2), three = at(h + 3);
        bool closed = IsLMNRZ(two) && ((two == 'n' && three == 'h') || (two == 'r' && three == 'r') ||
                                       (IsConsonant(three) && three != 'h'));
        state = (IsConsonant(c) || silent_u(h) || closed) ? State::MarkSecond : State::MarkNext;
        break;
      }
      case State::MarkNext:
        mark(h + 1);
        return word;
      case State::MarkSecond:
        mark(h + 2);
        return word;
    }
  }
  // The scan reached the first letter with the stressed vowel still to mark:
  // the vowel it was deciding about is the stressed one (uva, ela).
  switch (state) {
    case State::MarkNext: mark(0); break;
    case State::MarkSecond: mark(1); break;
    case State::IUFinal:
    case State::PenultIU: mark(0); break;
    default: break;
  }
  return word;
}

std::string TextToPhonemes(const std::string& text) {
  const std::string prepared = PrepareText(text);
  std::string out;
  size_t at = 0;
  Word word;
  while (ReadWord(prepared, at, word)) {
    std::string spelled = ApplyTranslatorExceptions(word.text);
    if (!word.accented && (word.vowels >= 2 || (word.vowels == 1 && !spelled.empty() && spelled.back() == 'l')))
      spelled = MarkStress(spelled);
    out += ReadLetterByLetter(spelled) ? LetterByLetter(spelled) : Translate(spelled);
  }
  return out;
}

}  // namespace synth
