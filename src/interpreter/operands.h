// operands: variables, the operand readers and the integer conversion.
//
// Every value is a Latin-1 text held in one of 127 slots (65-191): the
// letters A-Z use slots 65-90, "$" names get slots 91-191 in order of first
// use. Each reader works on the remaining argument text `rest`: it removes
// what it read and the blanks after it, and returns success or failure.
// A reader that fails leaves `rest` as it was.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace interp {

constexpr int kFirstSlot = 65;
constexpr int kLastSlot = 191;
// "$" names take the slots after the letters: 101 of them.
constexpr int kFirstNamedSlot = 91;
constexpr int kMaxNamedVariables = kLastSlot - kFirstNamedSlot + 1;

const std::string& Variable(int slot);
void SetVariable(int slot, std::string value);
// Sets the variable to the decimal text of `value`.
void SetVariableNumber(int slot, int64_t value);
// ToInteger of the variable's text (kept while the text is unchanged).
bool VariableInteger(int slot, int32_t& value);
// True when the variable's text is exactly the decimal text of a 32-bit
// number (as NumberText writes it), which is then in `value`.
bool VariableNumberText(int slot, int32_t& value);

// A letter not followed by a letter or digit, or "$" and a name -> slot.
// A 102nd "$" name has no slot: the read fails.
bool ReadVariableName(std::string& rest, int& slot);
// A number text, a quoted text, a variable, or "(" expression ")".
bool ReadOperand(std::string& rest, std::string& value);
// An operand converted with ToInteger (as ReadOperand then ToInteger, without
// the copies); `rest` is unchanged when it fails.
bool ReadIntegerOperand(std::string& rest, int32_t& value);
// The same two readers over a view of the argument text, which they move on.
bool ReadVariableName(std::string_view& rest, int& slot);
bool ReadIntegerOperand(std::string_view& rest, int32_t& value);
// "#0" to "#9" followed by a blank or the end -> the digit character.
bool ReadFileNumber(std::string& rest, char& digit);
// "[" name "]" -> the name, taken literally.
bool ReadListName(std::string& rest, std::string& name);

// The integer conversion: blanks, a sign and decimal digits fitting 32 bits,
// or a "$", "x", "X", "0x", "0X" prefix and up to 8 hexadecimal digits.
// On failure `value` holds the value of the digits read before the bad
// character (0 when none).
bool ToInteger(const std::string& text, int32_t& value);
// The same conversion of `size` bytes at `data`.
bool ToInteger(const char* data, size_t size, int32_t& value);

// The longest text CONCATENA and SUBSTITUI build (64 MiB): a script that
// doubles a text in a loop hears "Texto muito grande" instead of running
// the program out of memory.
constexpr size_t kMaxTextSize = size_t{64} << 20;

// Decimal text of a number.
std::string NumberText(int64_t value);

// Program start: every slot empty, no names.
void ResetVariables();

// While one of these lives, a division by zero inside an expression makes
// the operand fail without saying "Divisão por zero" (the block scans
// evaluate conditions of lines that are not being run).
class QuietExpressions {
 public:
  QuietExpressions();
  ~QuietExpressions();
  QuietExpressions(const QuietExpressions&) = delete;
  QuietExpressions& operator=(const QuietExpressions&) = delete;

 private:
  bool saved_;
};

// --- argument text helpers shared by the command handlers ------------------

// Removes the blanks at the start of `rest`.
void SkipBlanks(std::string& rest);
// The text without blanks and control characters at both ends.
std::string TrimControls(const std::string& text);
// The text without blanks at both ends.
std::string TrimBlanks(const std::string& text);
// Removes a trailing "&" and the blanks before it; true when there was one.
bool TakeTrailingAmpersand(std::string& rest);
// True when `rest` begins with `word` once upper-cased with UpperCasePt.
bool StartsWithWord(const std::string& rest, const char* word);

}  // namespace interp
