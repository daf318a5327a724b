// Variables, the operand readers, the integer conversion and the
// parenthesised integer expressions.
//
// Map of this file:
//   variable store     127 slots, the "$" name table
//   conversion         ToInteger, NumberText
//   expressions        tokens and the recursive-descent evaluator
//   readers            ReadVariableName, ReadOperand, ReadFileNumber,
//                      ReadListName
//   helpers            blanks, "&", keyword prefixes
#include "interpreter/operands.h"

#include <charconv>
#include <cstddef>
#include <string>
#include <unordered_map>

#include "interpreter/interpreter.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace interp {
namespace {

// --- variable store ------------------------------------------------------------

// A variable's value is its text; the text's integer conversion is kept
// beside it while the text is unchanged, so loops that count do not convert
// the same text again and again.
struct Slot {
  std::string text;
  enum class Conversion : uint8_t { Unknown, Integer, NotInteger };
  Conversion conversion = Conversion::Unknown;
  bool number_text = false;  // the text is exactly NumberText(number)
  int32_t number = 0;        // ToInteger's value (also when it failed)
};

struct VariableStore {
  Slot slots[kLastSlot - kFirstSlot + 1];
  // "$" name (upper-cased) -> slot; a name keeps its slot for the whole run.
  std::unordered_map<std::string, int> named;
};

VariableStore g_store;
VariableStore& Store() { return g_store; }

const std::string kNoValue;

// Division by zero inside an expression is said unless a block scan is
// evaluating a condition.
bool g_quiet_expressions = false;

// ASCII letters and digits: the characters of variable names.
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// The value of a hexadecimal digit of either case; -1 for anything else.
int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The slot of a "$" name (already upper-cased), giving the next free slot to
// a new name; false when all 101 named slots are taken.
bool NamedSlot(const std::string& name, int& slot) {
  VariableStore& store = Store();
  auto found = store.named.find(name);
  if (found != store.named.end()) {
    slot = found->second;
    return true;
  }
  if (static_cast<int>(store.named.size()) >= kMaxNamedVariables) return false;
  slot = kFirstNamedSlot + static_cast<int>(store.named.size());
  store.named.emplace(name, slot);
  return true;
}

// Reads the characters of a "$" name starting at `position` (just after the
// "$"): letters and digits, and "_" when `underscore` is set. Returns the
// name upper-cased and moves `position` past it.
std::string ScanName(const std::string& text, size_t& position, bool underscore) {
  std::string name;
  while (position < text.size()) {
    char c = text[position];
    if (!IsLetter(c) && !IsDigit(c) && !(underscore && c == '_')) break;
    name += AsciiUpper(c);
    ++position;
  }
  return name;
}

// True for the decimal text NumberText writes: "0", or an optional "-" and
// digits not starting with 0.
bool IsNumberText(const std::string& text) {
  size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
  if (i >= text.size()) return false;
  if (text[i] == '0') return text.size() == 1;
  for (; i < text.size(); ++i)
    if (!IsDigit(text[i])) return false;
  return true;
}

// The slot's conversion, made on the first use after a change.
Slot& Converted(int slot) {
  Slot& s = Store().slots[slot - kFirstSlot];
  if (s.conversion == Slot::Conversion::Unknown) {
    bool ok = ToInteger(s.text, s.number);
    s.conversion = ok ? Slot::Conversion::Integer : Slot::Conversion::NotInteger;
    s.number_text = ok && IsNumberText(s.text);
  }
  return s;
}

// Removes the first `count` characters of `rest` and the blanks after them.
void Consume(std::string& rest, size_t count) {
  size_t end = count;
  while (end < rest.size() && rest[end] == ' ') ++end;
  rest.erase(0, end);
}

// --- expressions -----------------------------------------------------------------
//
// Tokens: ( ) * + - /, a number (decimal digits accumulated in 32 bits), a
// variable (a letter, or "$" and letters and digits) converted as an
// integer, the end of the text, and anything else as an invalid token.
//
// expression = term { ("+" | "-") term }
// term       = factor { ("*" | "/") factor }
// factor     = number | variable | "(" expression ")" | "-" factor
//
// Tessel computes in 64 bits, Ensaio in 32; both wrap on overflow. An
// operand that cannot be read after an operator is skipped unless the
// current token is an operator of the same level.

enum class Token { LeftParen, RightParen, Times, Plus, Minus, Divide, Number, Variable, End, Invalid };

// Deeper nesting than this makes the expression invalid (it keeps the
// evaluator's recursion within the stack).
constexpr int kMaxNesting = 200;

class Evaluator {
 public:
  Evaluator(const std::string& text, size_t start)
      : text_(text), position_(start), narrow_(CurrentBuild() == Build::Ensaio) {}

  // "(" has been read: evaluates up to the matching ")". On success `end` is
  // the position just after the ")".
  bool Parenthesised(int64_t& value, size_t& end) {
    Next();
    if (!Expression(value) || failed_ || token_ != Token::RightParen) return false;
    end = position_;
    return true;
  }

 private:
  // Reads the next token into token_ (and value_ for numbers and variables).
  void Next() {
    while (position_ < text_.size() && text_[position_] == ' ') ++position_;
    if (position_ >= text_.size()) {
      token_ = Token::End;
      return;
    }
    char c = text_[position_];
    switch (c) {
      case '(': token_ = Token::LeftParen; ++position_; return;
      case ')': token_ = Token::RightParen; ++position_; return;
      case '*': token_ = Token::Times; ++position_; return;
      case '+': token_ = Token::Plus; ++position_; return;
      case '-': token_ = Token::Minus; ++position_; return;
      case '/': token_ = Token::Divide; ++position_; return;
      default: break;
    }
    if (IsDigit(c)) {
      uint32_t accumulated = 0;
      while (position_ < text_.size() && IsDigit(text_[position_]))
        accumulated = accumulated * 10u + static_cast<uint32_t>(text_[position_++] - '0');
      token_ = Token::Number;
      value_ = static_cast<int32_t>(accumulated);
      return;
    }
    int slot = 0;
    if (IsLetter(c)) {
      slot = static_cast<unsigned char>(AsciiUpper(c));
      ++position_;
    } else if (c == '$') {
      ++position_;
      std::string name = ScanName(text_, position_, false);
      if (name.empty() || !NamedSlot(name, slot)) {
        token_ = Token::Invalid;
        return;
      }
    } else {
      token_ = Token::Invalid;
      return;
    }
    int32_t converted = 0;
    if (!VariableInteger(slot, converted)) {
      token_ = Token::Invalid;
      return;
    }
    token_ = Token::Variable;
    value_ = converted;
  }

  int64_t Wrap(uint64_t bits) const {
    int64_t wide = static_cast<int64_t>(bits);
    return narrow_ ? static_cast<int32_t>(static_cast<uint32_t>(bits)) : wide;
  }

  // Applies a binary operator with wrapping; false for a division by zero.
  bool Apply(Token op, int64_t left, int64_t right, int64_t& result) {
    uint64_t a = static_cast<uint64_t>(left), b = static_cast<uint64_t>(right);
    switch (op) {
      case Token::Plus: result = Wrap(a + b); return true;
      case Token::Minus: result = Wrap(a - b); return true;
      case Token::Times: result = Wrap(a * b); return true;
      default: break;
    }
    if (right == 0) {
      if (!g_quiet_expressions) speech::WriteLineSpeak("Divis\xE3o por zero");
      failed_ = true;
      return false;
    }
    // The one quotient that does not fit wraps to itself.
    if (right == -1) result = Wrap(0 - a);
    else result = Wrap(static_cast<uint64_t>(left / right));
    return true;
  }

  // expression = term { ("+" | "-") term }
  bool Expression(int64_t& value) {
    if (!Term(value)) return false;
    while (token_ == Token::Plus || token_ == Token::Minus) {
      Token op = token_;
      Next();
      int64_t right = 0;
      if (Term(right)) {
        if (!Apply(op, value, right, value)) return false;
      } else if (failed_ || token_ == Token::Plus || token_ == Token::Minus) {
        return false;
      }
    }
    return true;
  }

  // term = factor { ("*" | "/") factor }
  bool Term(int64_t& value) {
    if (!Factor(value)) return false;
    while (token_ == Token::Times || token_ == Token::Divide) {
      Token op = token_;
      Next();
      int64_t right = 0;
      if (Factor(right)) {
        if (!Apply(op, value, right, value)) return false;
      } else if (failed_ || token_ == Token::Times || token_ == Token::Divide) {
        return false;
      }
    }
    return true;
  }

  // factor = number | variable | "(" expression ")" | "-" factor
  bool Factor(int64_t& value) {
    if (failed_) return false;
    switch (token_) {
      case Token::Number:
      case Token::Variable:
        value = Wrap(static_cast<uint64_t>(value_));
        Next();
        return true;
      case Token::LeftParen: {
        if (!Enter()) return false;
        Next();
        bool read = Expression(value) && token_ == Token::RightParen;
        --depth_;
        if (!read) return false;
        Next();
        return true;
      }
      case Token::Minus: {
        if (!Enter()) return false;
        Next();
        bool read = Factor(value);
        --depth_;
        if (!read) return false;
        value = Wrap(0 - static_cast<uint64_t>(value));
        return true;
      }
      default:
        return false;
    }
  }

  bool Enter() {
    if (depth_ >= kMaxNesting) {
      failed_ = true;
      return false;
    }
    ++depth_;
    return true;
  }

  const std::string& text_;
  size_t position_;  // just after the current token
  bool narrow_;      // Ensaio: 32-bit arithmetic
  Token token_ = Token::End;
  int64_t value_ = 0;
  int depth_ = 0;
  bool failed_ = false;  // division by zero or nesting too deep: invalid
};

}  // namespace

// --- variable store ------------------------------------------------------------------

const std::string& Variable(int slot) {
  if (slot < kFirstSlot || slot > kLastSlot) return kNoValue;
  return Store().slots[slot - kFirstSlot].text;
}

void SetVariable(int slot, std::string value) {
  if (slot < kFirstSlot || slot > kLastSlot) return;
  Slot& s = Store().slots[slot - kFirstSlot];
  s.text = std::move(value);
  s.conversion = Slot::Conversion::Unknown;
}

void SetVariableNumber(int slot, int64_t value) {
  if (slot < kFirstSlot || slot > kLastSlot) return;
  Slot& s = Store().slots[slot - kFirstSlot];
  char digits[24];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  s.text.assign(digits, end);
  if (value >= INT32_MIN && value <= INT32_MAX) {
    s.number = static_cast<int32_t>(value);
    s.conversion = Slot::Conversion::Integer;
    s.number_text = true;
  } else {
    s.conversion = Slot::Conversion::Unknown;
  }
}

bool VariableInteger(int slot, int32_t& value) {
  if (slot < kFirstSlot || slot > kLastSlot) return ToInteger(kNoValue, value);
  const Slot& s = Converted(slot);
  value = s.number;
  return s.conversion == Slot::Conversion::Integer;
}

bool VariableNumberText(int slot, int32_t& value) {
  if (slot < kFirstSlot || slot > kLastSlot) return false;
  const Slot& s = Converted(slot);
  value = s.number;
  return s.number_text;
}

void ResetVariables() {
  VariableStore& store = Store();
  for (Slot& slot : store.slots) slot = Slot();
  store.named.clear();
}

QuietExpressions::QuietExpressions() : saved_(g_quiet_expressions) { g_quiet_expressions = true; }
QuietExpressions::~QuietExpressions() { g_quiet_expressions = saved_; }

// --- conversion ------------------------------------------------------------------------

// Blanks, then a sign and decimal digits, or a hexadecimal prefix and up to
// 8 hexadecimal digits; nothing may follow.
bool ToInteger(const std::string& text, int32_t& value) { return ToInteger(text.data(), text.size(), value); }

bool ToInteger(const char* text, size_t size, int32_t& value) {
  value = 0;
  size_t i = 0;
  while (i < size && text[i] == ' ') ++i;
  if (i >= size) return false;

  bool hexadecimal = false;
  if (text[i] == '$' || text[i] == 'x' || text[i] == 'X') {
    hexadecimal = true;
    ++i;
  } else if (text[i] == '0' && i + 1 < size && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hexadecimal = true;
    i += 2;
  }

  if (hexadecimal) {
    uint32_t accumulated = 0;
    int digits = 0;
    for (; i < size; ++i) {
      int digit = HexDigitValue(text[i]);
      if (digit < 0 || digits == 8) break;
      accumulated = accumulated * 16u + static_cast<uint32_t>(digit);
      ++digits;
    }
    value = static_cast<int32_t>(accumulated);
    return digits > 0 && i == size;
  }

  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  // The magnitude is kept in 64 bits and checked against the 32-bit limits
  // digit by digit; an overflowing digit is the bad character.
  int64_t magnitude = 0;
  const int64_t limit = negative ? 2147483648LL : 2147483647LL;
  int digits = 0;
  bool overflow = false;
  for (; i < size && IsDigit(text[i]); ++i) {
    int64_t next = magnitude * 10 + (text[i] - '0');
    if (next > limit) {
      overflow = true;
      break;
    }
    magnitude = next;
    ++digits;
  }
  value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return digits > 0 && !overflow && i == size;
}

std::string NumberText(int64_t value) {
  char digits[24];
  auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return std::string(digits, end);
}

// --- readers ------------------------------------------------------------------------------

// A letter not followed by a letter or digit, or "$" and a name of letters,
// digits and "_".
bool ReadVariableName(std::string& rest, int& slot) {
  size_t start = 0;
  while (start < rest.size() && rest[start] == ' ') ++start;
  if (start >= rest.size()) return false;
  char c = rest[start];
  if (c == '$') {
    size_t position = start + 1;
    std::string name = ScanName(rest, position, true);
    if (name.empty() || !NamedSlot(name, slot)) return false;
    Consume(rest, position);
    return true;
  }
  if (!IsLetter(c)) return false;
  if (start + 1 < rest.size() && (IsLetter(rest[start + 1]) || IsDigit(rest[start + 1]))) return false;
  slot = static_cast<unsigned char>(AsciiUpper(c));
  Consume(rest, start + 1);
  return true;
}

// operand -> "-"|digit {digit} | '"' text ['"'] | "$" name | letter
//          | "(" expression ")"
bool ReadOperand(std::string& rest, std::string& value) {
  size_t start = 0;
  while (start < rest.size() && rest[start] == ' ') ++start;
  if (start >= rest.size()) return false;
  char c = rest[start];

  if (c == '-' || IsDigit(c)) {
    size_t end = start + 1;
    while (end < rest.size() && IsDigit(rest[end])) ++end;
    value.assign(rest, start, end - start);
    Consume(rest, end);
    return true;
  }

  if (c == '"') {
    std::string text;
    size_t i = start + 1;
    while (i < rest.size()) {
      if (rest[i] == '"') {
        if (i + 1 < rest.size() && rest[i + 1] == '"') {
          text += '"';
          i += 2;
          continue;
        }
        ++i;  // the closing quote
        break;
      }
      text += rest[i++];
    }
    value = std::move(text);
    Consume(rest, i);
    return true;
  }

  if (c == '$') {
    size_t position = start + 1;
    std::string name = ScanName(rest, position, true);
    int slot = 0;
    if (name.empty() || !NamedSlot(name, slot)) return false;
    value = Variable(slot);
    Consume(rest, position);
    return true;
  }

  if (IsLetter(c)) {
    value = Variable(static_cast<unsigned char>(AsciiUpper(c)));
    Consume(rest, start + 1);
    return true;
  }

  if (c == '(') {
    Evaluator evaluator(rest, start + 1);
    int64_t result = 0;
    size_t end = 0;
    if (!evaluator.Parenthesised(result, end)) return false;
    value = NumberText(result);
    Consume(rest, end);
    return true;
  }

  return false;
}

namespace {

// The quick forms of an integer operand, read without copying: a number or a
// one-letter variable. Gives the characters it read with the blanks after
// them; 0 when the operand has another form; -1 when it has a quick form but
// holds no integer.
std::ptrdiff_t ReadQuickInteger(std::string_view rest, int32_t& value) {
  size_t start = 0;
  while (start < rest.size() && rest[start] == ' ') ++start;
  if (start >= rest.size()) return 0;
  char c = rest[start];
  size_t end = 0;
  if (c == '-' || IsDigit(c)) {
    end = start + 1;
    while (end < rest.size() && IsDigit(rest[end])) ++end;
    if (!ToInteger(rest.data() + start, end - start, value)) return -1;
  } else if (IsLetter(c)) {
    if (!VariableInteger(static_cast<unsigned char>(AsciiUpper(c)), value)) return -1;
    end = start + 1;
  } else {
    return 0;
  }
  while (end < rest.size() && rest[end] == ' ') ++end;
  return static_cast<std::ptrdiff_t>(end);
}

}  // namespace

bool ReadIntegerOperand(std::string& rest, int32_t& value) {
  std::ptrdiff_t quick = ReadQuickInteger(rest, value);
  if (quick != 0) {
    if (quick < 0) return false;
    rest.erase(0, static_cast<size_t>(quick));
    return true;
  }
  std::string text;
  std::string after = rest;
  if (!ReadOperand(after, text) || !ToInteger(text, value)) return false;
  rest = std::move(after);
  return true;
}

namespace {

// Moves `rest` past `count` characters and the blanks after them.
void Consume(std::string_view& rest, size_t count) {
  while (count < rest.size() && rest[count] == ' ') ++count;
  rest.remove_prefix(count);
}

// Runs a reader of the std::string kind over a view.
template <typename Reader>
bool OverCopy(std::string_view& rest, Reader read) {
  std::string copy(rest);
  if (!read(copy)) return false;
  rest.remove_prefix(rest.size() - copy.size());
  return true;
}

}  // namespace

bool ReadVariableName(std::string_view& rest, int& slot) {
  size_t start = 0;
  while (start < rest.size() && rest[start] == ' ') ++start;
  if (start < rest.size() && IsLetter(rest[start])) {
    if (start + 1 < rest.size() && (IsLetter(rest[start + 1]) || IsDigit(rest[start + 1]))) return false;
    slot = static_cast<unsigned char>(AsciiUpper(rest[start]));
    Consume(rest, start + 1);
    return true;
  }
  return OverCopy(rest, [&slot](std::string& copy) { return ReadVariableName(copy, slot); });
}

bool ReadIntegerOperand(std::string_view& rest, int32_t& value) {
  std::ptrdiff_t quick = ReadQuickInteger(rest, value);
  if (quick != 0) {
    if (quick < 0) return false;
    rest.remove_prefix(static_cast<size_t>(quick));
    return true;
  }
  return OverCopy(rest, [&value](std::string& copy) { return ReadIntegerOperand(copy, value); });
}

// "#" digit, then a blank or the end.
bool ReadFileNumber(std::string& rest, char& digit) {
  size_t start = 0;
  while (start < rest.size() && rest[start] == ' ') ++start;
  if (start + 1 >= rest.size() || rest[start] != '#' || !IsDigit(rest[start + 1])) return false;
  if (start + 2 < rest.size() && rest[start + 2] != ' ') return false;
  digit = rest[start + 1];
  Consume(rest, start + 2);
  return true;
}

// "[" name "]": the name is taken literally; a "]" right after the "[" is
// part of the name.
bool ReadListName(std::string& rest, std::string& name) {
  size_t start = 0;
  while (start < rest.size() && rest[start] == ' ') ++start;
  if (rest.size() - start < 2 || rest[start] != '[') return false;
  std::string read;
  for (size_t i = start + 1; i < rest.size(); ++i) {
    if (rest[i] == ']' && !read.empty()) {
      name = std::move(read);
      Consume(rest, i + 1);
      return true;
    }
    read += rest[i];
  }
  return false;
}

// --- helpers ----------------------------------------------------------------------------------

void SkipBlanks(std::string& rest) { Consume(rest, 0); }

std::string TrimControls(const std::string& text) {
  size_t start = 0, end = text.size();
  while (start < end && static_cast<unsigned char>(text[start]) <= 32) ++start;
  while (end > start && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return text.substr(start, end - start);
}

std::string TrimBlanks(const std::string& text) {
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return {};
  return text.substr(start, text.find_last_not_of(' ') - start + 1);
}

bool TakeTrailingAmpersand(std::string& rest) {
  if (rest.empty() || rest.back() != '&') return false;
  rest.pop_back();
  while (!rest.empty() && rest.back() == ' ') rest.pop_back();
  return true;
}

bool StartsWithWord(const std::string& rest, const char* word) {
  size_t i = 0;
  for (; word[i] != '\0'; ++i)
    if (i >= rest.size() || speech::UpperCasePt(rest[i]) != word[i]) return false;
  return true;
}

}  // namespace interp
