// Integer arithmetic and text editing on one variable: SOMA, SUBTRAI,
// MULTIPLICA, DIVIDE, CONCATENA, COPIA, DELETA, SUBSTITUI.
#include "interpreter/text_commands.h"

#include <cstdint>
#include <string>

#include "interpreter/operands.h"
#include "speech/speech.h"

namespace interp {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads one operand and converts it as an integer after removing the blanks
// around its value (the positions of COPIA and DELETA).
bool ReadPosition(std::string& rest, int32_t& value) {
  std::string text;
  if (!ReadOperand(rest, text)) return false;
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return false;
  return ToInteger(text.substr(start, text.find_last_not_of(' ') - start + 1), value);
}

// The 32-bit signed value of a wrapped result.
int32_t Wrap(uint32_t bits) { return static_cast<int32_t>(bits); }

// A text would outgrow kMaxTextSize: said, and the command fails with the
// variable unchanged.
bool TooLong() {
  speech::WriteLineSpeak("Texto muito grande");
  return false;
}

enum class Arithmetic { Subtract, Multiply, Divide };

// SUBTRAI | MULTIPLICA | DIVIDE  V n: V's value must be an integer; text
// after n makes the command fail once V has been changed.
bool Calculate(const std::string& arguments, Arithmetic operation) {
  std::string_view rest = arguments;
  int slot = 0;
  if (!ReadVariableName(rest, slot) || rest.empty()) return false;
  int32_t current = 0, operand = 0;
  if (!VariableInteger(slot, current)) return false;
  if (!ReadIntegerOperand(rest, operand)) return false;
  uint32_t a = static_cast<uint32_t>(current), b = static_cast<uint32_t>(operand);
  int32_t result = 0;
  switch (operation) {
    case Arithmetic::Subtract: result = Wrap(a - b); break;
    case Arithmetic::Multiply: result = Wrap(a * b); break;
    case Arithmetic::Divide:
      if (operand == 0) {
        speech::WriteLineSpeak("Divis\xE3o por zero");
        return false;
      }
      // -2147483648 / -1 wraps to itself.
      result = operand == -1 ? Wrap(0u - a) : current / operand;
      break;
  }
  SetVariableNumber(slot, result);
  return rest.empty();
}

}  // namespace

// SOMA V n: adds n to the number at the end of V's value (ITEM9 + 1 gives
// ITEM10); text after n is ignored.
bool CmdSoma(const std::string& arguments) {
  std::string_view rest = arguments;
  int slot = 0;
  int32_t operand = 0;
  if (!ReadVariableName(rest, slot) || rest.empty()) return false;
  if (!ReadIntegerOperand(rest, operand)) return false;
  int32_t number = 0;
  if (VariableNumberText(slot, number)) {  // the common case: a plain number
    SetVariableNumber(slot, Wrap(static_cast<uint32_t>(number) + static_cast<uint32_t>(operand)));
    return true;
  }
  const std::string& value = Variable(slot);
  size_t split = value.size();
  while (split > 0 && IsDigit(value[split - 1])) --split;
  if (split > 0 && value[split - 1] == '-') --split;
  int32_t counter = 0;
  if (!ToInteger(value.data() + split, value.size() - split, counter)) counter = 0;
  int32_t sum = Wrap(static_cast<uint32_t>(counter) + static_cast<uint32_t>(operand));
  std::string result(value, 0, split);
  result += NumberText(sum);
  SetVariable(slot, std::move(result));
  return true;
}

bool CmdSubtrai(const std::string& arguments) { return Calculate(arguments, Arithmetic::Subtract); }
bool CmdMultiplica(const std::string& arguments) { return Calculate(arguments, Arithmetic::Multiply); }
bool CmdDivide(const std::string& arguments) { return Calculate(arguments, Arithmetic::Divide); }

// CONCATENA V text: nothing may follow the text (V is then unchanged).
bool CmdConcatena(const std::string& arguments) {
  std::string rest = arguments;
  int slot = 0;
  std::string text;
  if (!ReadVariableName(rest, slot) || !ReadOperand(rest, text) || !rest.empty()) return false;
  if (Variable(slot).size() + text.size() > kMaxTextSize) return TooLong();
  SetVariable(slot, Variable(slot) + text);
  return true;
}

// COPIA V W a b: V = W's value from position a to position b.
bool CmdCopia(const std::string& arguments) {
  std::string rest = arguments;
  int target = 0, source = 0;
  int32_t first = 0, last = 0;
  if (!ReadVariableName(rest, target) || !ReadVariableName(rest, source)) return false;
  if (!ReadPosition(rest, first) || !ReadPosition(rest, last)) return false;
  const std::string& value = Variable(source);
  int64_t count = static_cast<int64_t>(last) - first + 1;
  int64_t start = first < 1 ? 1 : first;
  std::string copy;
  if (count > 0 && start <= static_cast<int64_t>(value.size()))
    copy = value.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count));
  SetVariable(target, std::move(copy));
  return true;
}

// DELETA V a n: removes n characters of V's value from position a.
bool CmdDeleta(const std::string& arguments) {
  std::string rest = arguments;
  int slot = 0;
  int32_t start = 0, count = 0;
  if (!ReadVariableName(rest, slot) || !ReadPosition(rest, start) || !ReadPosition(rest, count)) return false;
  std::string value = Variable(slot);
  if (start >= 1 && static_cast<size_t>(start) <= value.size() && count > 0) {
    value.erase(static_cast<size_t>(start - 1), static_cast<size_t>(count));
    SetVariable(slot, std::move(value));
  }
  return true;
}

// The text is kept as an untouched prefix of the original (`left`) and the
// part already scanned (`right`, stored reversed so that putting text in
// front of it is cheap); each position is visited once.
bool ReplaceFromRight(const std::string& text, const std::string& old, const std::string& replacement,
                      size_t limit, std::string& result) {
  const int64_t m = static_cast<int64_t>(old.size());
  std::string left = text;
  std::string right_reversed;
  auto at = [&](int64_t i) {
    int64_t k = static_cast<int64_t>(left.size());
    return i < k ? left[static_cast<size_t>(i)] : right_reversed[right_reversed.size() - 1 - static_cast<size_t>(i - k)];
  };
  for (int64_t p = static_cast<int64_t>(text.size()) - m; p >= 0; --p) {
    int64_t k = static_cast<int64_t>(left.size());
    int64_t length = k + static_cast<int64_t>(right_reversed.size());
    if (p + m > length) continue;
    bool match = true;
    for (int64_t j = 0; j < m && match; ++j) match = at(p + j) == old[static_cast<size_t>(j)];
    if (!match) continue;
    if (p + m <= k) {
      for (int64_t i = k - 1; i >= p + m; --i) right_reversed += left[static_cast<size_t>(i)];
    } else {
      right_reversed.resize(right_reversed.size() - static_cast<size_t>(p + m - k));
    }
    left.resize(static_cast<size_t>(p));
    if (left.size() + right_reversed.size() + replacement.size() > limit) return false;
    for (auto c = replacement.rbegin(); c != replacement.rend(); ++c) right_reversed += *c;
  }
  result = left + std::string(right_reversed.rbegin(), right_reversed.rend());
  return true;
}

// SUBSTITUI V old new
bool CmdSubstitui(const std::string& arguments) {
  std::string rest = arguments;
  int slot = 0;
  std::string old, replacement;
  if (!ReadVariableName(rest, slot) || !ReadOperand(rest, old) || !ReadOperand(rest, replacement)) return false;
  std::string result;
  if (!ReplaceFromRight(Variable(slot), old, replacement, kMaxTextSize, result)) return TooLong();
  SetVariable(slot, std::move(result));
  return true;
}

}  // namespace interp
