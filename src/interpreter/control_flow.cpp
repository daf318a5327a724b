// Conditions, blocks, loops, jumps, calls and the end of the run.
//
// Map of this file:
//   conditions   EvaluateCondition and its comparison keys
//   scans        the forward and backward searches over the line store
//   commands     SE, SENAO, ENQUANTO, REPETE, FIM, DESVIA, CHAMA, RETORNA,
//                TERMINA
//
// A command that jumps sets the program counter to the line before, or to
// the line of, the place where the run goes on: the run loop then moves on
// by one line.
#include "interpreter/control_flow.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "data/lists.h"
#include "interpreter/interpreter.h"
#include "interpreter/operands.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace interp {
namespace {

// --- conditions ------------------------------------------------------------------

enum class Operator {
  GreaterOrEqual, LessOrEqual, Identical, Different, Contains, BeginsWith, EndsWith, In, Equal, Less, Greater
};

// True for a text of the digits 0-9 only (the empty text too).
bool AllDigits(std::string_view text) {
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// True when UpperCasePt would change the text.
bool HasLowerCase(std::string_view text) {
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || byte >= 224) return true;
  }
  return false;
}

// The comparison key of a text: upper-cased with UpperCasePt; a text of
// digits only (the empty text too) gets twenty zeros in front and keeps its
// last 21 characters (so the empty text is twenty zeros). Built without
// copying when the text is already its own key.
class ComparisonKey {
 public:
  explicit ComparisonKey(std::string_view text) {
    if (AllDigits(text)) {
      size_t width = text.empty() ? kWidth - 1 : kWidth;
      size_t kept = text.size() < width ? text.size() : width;
      std::memset(digits_, '0', width - kept);
      std::memcpy(digits_ + width - kept, text.data() + text.size() - kept, kept);
      view_ = std::string_view(digits_, width);
    } else if (HasLowerCase(text)) {
      upper_ = speech::UpperCasePt(std::string(text));
      view_ = upper_;
    } else {
      view_ = text;
    }
  }
  ComparisonKey(const ComparisonKey&) = delete;
  ComparisonKey& operator=(const ComparisonKey&) = delete;

  // Byte order, as unsigned bytes; a prefix is smaller.
  int Compare(const ComparisonKey& other) const { return view_.compare(other.view_); }

 private:
  static constexpr size_t kWidth = 21;
  char digits_[kWidth];
  std::string upper_;
  std::string_view view_;
};

// a ends with b where b first occurs: the first occurrence of b in a
// begins at length(a) - length(b).
bool EndsAtFirstOccurrence(std::string_view a, std::string_view b) {
  if (b.empty()) return false;
  size_t found = a.find(b);
  return found != std::string::npos && found == a.size() - b.size();
}

// The order of two texts of 1 to 21 digits by their comparison keys: the
// digits as a number.
int CompareDigits(std::string_view a, std::string_view b) {
  size_t i = a.find_first_not_of('0'), j = b.find_first_not_of('0');
  a.remove_prefix(i == std::string_view::npos ? a.size() : i);
  b.remove_prefix(j == std::string_view::npos ? b.size() : j);
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b);
}

bool OrderHolds(Operator op, int order);

// The comparison of a and b by one of the operators other than EM.
bool Compare(Operator op, std::string_view a, std::string_view b) {
  switch (op) {
    case Operator::Identical: return a == b;
    case Operator::Contains: return !b.empty() && a.find(b) != std::string::npos;
    case Operator::BeginsWith: return !b.empty() && a.compare(0, b.size(), b) == 0;
    case Operator::EndsWith: return EndsAtFirstOccurrence(a, b);
    default: break;
  }
  int order = 0;
  if (!a.empty() && !b.empty() && a.size() <= 21 && b.size() <= 21 && AllDigits(a) && AllDigits(b))
    order = CompareDigits(a, b);
  else
    order = ComparisonKey(a).Compare(ComparisonKey(b));
  return OrderHolds(op, order);
}

// Whether an ordering operator holds for the order of a and b.
bool OrderHolds(Operator op, int order) {
  switch (op) {
    case Operator::Equal: return order == 0;
    case Operator::Different: return order != 0;
    case Operator::Less: return order < 0;
    case Operator::Greater: return order > 0;
    case Operator::LessOrEqual: return order <= 0;
    case Operator::GreaterOrEqual: return order >= 0;
    default: return false;
  }
}

// EM: the key of a equals the key of some item.
bool InList(const std::string& a, const std::vector<std::string>& items) {
  ComparisonKey key(a);
  for (const std::string& item : items)
    if (ComparisonKey(item).Compare(key) == 0) return true;
  return false;
}

// Reads the operator at the start of `rest`, trying ">=", "<=", "==", "<>",
// "*=*", "=*", "*=", "EM" (either case), "=", "<", ">" in this order; false
// when there is none. `length` is the operator's number of characters.
bool FindOperator(std::string_view rest, Operator& op, size_t& length) {
  auto at = [&rest](size_t i) { return i < rest.size() ? rest[i] : '\0'; };
  length = 2;
  switch (at(0)) {
    case '>':
      op = at(1) == '=' ? Operator::GreaterOrEqual : Operator::Greater;
      break;
    case '<':
      op = at(1) == '=' ? Operator::LessOrEqual : at(1) == '>' ? Operator::Different : Operator::Less;
      break;
    case '=':
      op = at(1) == '=' ? Operator::Identical : at(1) == '*' ? Operator::BeginsWith : Operator::Equal;
      break;
    case '*':
      if (at(1) != '=') return false;
      op = at(2) == '*' ? Operator::Contains : Operator::EndsWith;
      break;
    case 'E':
    case 'e':
      if (at(1) != 'M' && at(1) != 'm') return false;
      op = Operator::In;
      break;
    default:
      return false;
  }
  if (op == Operator::Greater || op == Operator::Less || op == Operator::Equal) length = 1;
  if (op == Operator::Contains) length = 3;
  return true;
}

// True when `text`, upper-cased, is `word`.
bool IsWord(const std::string& text, const char* word) {
  if (text == word) return true;
  return text.size() == std::char_traits<char>::length(word) && StartsWithWord(text, word);
}

// --- scans -------------------------------------------------------------------------

// True when `text` begins with `prefix`, exactly.
bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// Moves the program counter to the first line after it whose canonical form
// is "FIM " + word; past the last line when there is none. Nesting is not
// counted.
void ScanToBlockEnd(const char* word) {
  std::string wanted = std::string("FIM ") + word;
  int count = LineCount();
  for (int n = ProgramCounter() + 1; n <= count; ++n) {
    if (CanonicalLine(n) == wanted) {
      SetProgramCounter(n);
      return;
    }
  }
  SetProgramCounter(count + 1);
}

// A false block SE: skips to its own FIM SE, counting the block SEs nested
// inside, or stops at a SENÃO of its own level.
void ScanFalseSe() {
  QuietExpressions quiet;
  int depth = 1;
  int count = LineCount();
  for (int n = ProgramCounter() + 1; n <= count; ++n) {
    const std::string& canonical = CanonicalLine(n);
    if (StartsWith(canonical, "SE ")) {
      // The condition is read from the line as written: list names keep
      // their case.
      Condition nested;
      if (EvaluateCondition(LineArguments(n), nested) && nested.rest.empty()) ++depth;
    } else if (canonical == "FIM SE") {
      if (--depth == 0) {
        SetProgramCounter(n);
        return;
      }
    } else if (depth == 1 && (canonical == "SENAO" || canonical == "SEN\xC3O")) {
      SetProgramCounter(n);
      return;
    }
  }
  SetProgramCounter(count + 1);
}

// The nearest line above the current one whose first word is `word`; 0 when
// there is none.
int ScanBackwardUncached(const char* word) {
  size_t length = std::char_traits<char>::length(word);
  for (int n = ProgramCounter() - 1; n >= 1; --n) {
    const std::string& line = CanonicalLine(n);
    if (line.size() > length && line[length] == ' ' && line.compare(0, length, word) == 0) return n;
  }
  return 0;
}

// The answers of ScanBackward for one word, by the line scanned from, kept
// while the same script is loaded: a loop's FIM scans on every pass.
struct BackwardScans {
  uint64_t generation = 0;
  std::vector<int> found;  // by line: the answer + 1, 0 when not asked yet
};

int ScanBackward(const char* word, BackwardScans& scans) {
  int from = ProgramCounter();
  if (scans.generation != StoreGeneration() || scans.found.size() != static_cast<size_t>(LineCount()) + 2) {
    scans.generation = StoreGeneration();
    scans.found.assign(static_cast<size_t>(LineCount()) + 2, 0);
  }
  if (from < 0 || from >= static_cast<int>(scans.found.size())) return ScanBackwardUncached(word);
  int& kept = scans.found[static_cast<size_t>(from)];
  if (kept == 0) kept = ScanBackwardUncached(word) + 1;
  return kept - 1;
}

// Reads the limit operand of a REPETE line as an integer.
bool ReadLimit(std::string_view& rest, int32_t& limit) { return ReadIntegerOperand(rest, limit); }

// The next pass of the REPETE whose arguments are `arguments` (the program
// counter is on its line): the variable goes up by one; past the limit the
// loop ends. The count is kept in 64 bits, so a limit of 2147483647 still
// ends the loop.
bool ContinueRepete(const std::string& arguments) {
  std::string_view rest = arguments;
  int slot = 0;
  int32_t current = 0, limit = 0;
  if (!ReadVariableName(rest, slot) || !VariableInteger(slot, current)) return false;
  if (!ReadLimit(rest, limit)) return false;
  int64_t next = static_cast<int64_t>(current) + 1;
  SetVariableNumber(slot, next);
  if (limit < next) ScanToBlockEnd("REPETE");
  return true;
}

// Lines running inside other lines (RunNestedLine), and the limit.
int g_nested_lines = 0;
constexpr int kMaxNestedLines = 100;

// The label of CHAMA: the text after "@" (no blank allowed), or the value
// of one operand with nothing after it.
bool ReadLabel(const std::string& arguments, std::string& label) {
  if (!arguments.empty() && arguments[0] == '@') {
    label = arguments.substr(1);
    return label.find(' ') == std::string::npos;
  }
  std::string rest = arguments;
  return ReadOperand(rest, label) && rest.empty();
}

// The operand at the start of `rest` when it is a plain one: a letter
// variable or a number text, read without copying; the blanks after it are
// skipped. False (and `rest` unchanged) for every other operand.
bool ReadPlainOperand(std::string_view& rest, std::string_view& value, int& slot) {
  if (rest.empty()) return false;
  char c = rest[0];
  size_t end = 1;
  slot = 0;
  if (c == '-' || (c >= '0' && c <= '9')) {
    while (end < rest.size() && rest[end] >= '0' && rest[end] <= '9') ++end;
    value = rest.substr(0, end);
  } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
    slot = c >= 'a' ? c - 32 : c;
    value = Variable(slot);
  } else {
    return false;
  }
  while (end < rest.size() && rest[end] == ' ') ++end;
  rest.remove_prefix(end);
  return true;
}

// The number a plain operand's text stands for in comparisons, when the
// text is digits only: a variable holding a number's text that is not
// negative (its kept integer), or a number of up to 18 digits as written.
bool DigitsNumber(std::string_view text, int slot, int64_t& number) {
  if (slot != 0) {
    int32_t value = 0;
    if (!VariableNumberText(slot, value) || value < 0) return false;
    number = value;
    return true;
  }
  if (text.empty() || text.size() > 18) return false;
  number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  return true;
}

// The common condition "a op b [rest]" with plain operands and an operator
// other than EM, evaluated without copies; false when the condition is of
// another form (and the full reading must be used).
bool EvaluatePlainCondition(const std::string& text, Condition& condition) {
  std::string_view rest = text;
  size_t start = rest.find_first_not_of(' ');
  if (start == std::string_view::npos) return false;
  rest.remove_prefix(start);
  if (rest[0] == 'N' || rest[0] == 'n') return false;  // maybe NÃO
  std::string_view a, b;
  int slot_a = 0, slot_b = 0;
  if (!ReadPlainOperand(rest, a, slot_a) || rest.empty()) return false;
  Operator op = Operator::Equal;
  size_t length = 0;
  if (!FindOperator(rest, op, length) || op == Operator::In) return false;
  rest.remove_prefix(length);
  size_t after = rest.find_first_not_of(' ');
  if (after == std::string_view::npos) return false;
  rest.remove_prefix(after);
  if (!ReadPlainOperand(rest, b, slot_b)) return false;
  int64_t x = 0, y = 0;
  bool ordering = op != Operator::Identical && op != Operator::Contains && op != Operator::BeginsWith &&
                  op != Operator::EndsWith;
  if (ordering && DigitsNumber(a, slot_a, x) && DigitsNumber(b, slot_b, y))
    condition.value = OrderHolds(op, x < y ? -1 : x > y ? 1 : 0);  // digit texts compare as numbers
  else
    condition.value = Compare(op, a, b);
  size_t first = 0, last = rest.size();
  while (first < last && static_cast<unsigned char>(rest[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(rest[last - 1]) <= 32) --last;
  condition.rest.assign(rest.data() + first, last - first);
  return true;
}

}  // namespace

// [NÃO] a operator b rest, or [NÃO] a EM [list] rest
bool EvaluateCondition(const std::string& text, Condition& condition) {
  if (EvaluatePlainCondition(text, condition)) return true;
  std::string rest = text;
  SkipBlanks(rest);
  if (rest.empty()) return false;
  bool negated = false;
  if ((rest[0] == 'N' || rest[0] == 'n') && (StartsWithWord(rest, "N\xC3O") || StartsWithWord(rest, "NAO"))) {
    rest.erase(0, 3);
    SkipBlanks(rest);
    if (rest.empty()) return false;
    negated = true;
  }

  std::string a;
  if (!ReadOperand(rest, a) || rest.empty()) return false;

  Operator op = Operator::Equal;
  size_t length = 0;
  if (!FindOperator(rest, op, length)) return false;
  rest.erase(0, length);
  SkipBlanks(rest);
  if (rest.empty()) return false;

  bool value = false;
  if (op == Operator::In) {
    std::string name;
    if (!ReadListName(rest, name)) return false;
    const std::vector<std::string>* items = data::FindList(name);
    if (!items) return false;
    value = InList(a, *items);
  } else {
    std::string b;
    if (!ReadOperand(rest, b)) return false;
    value = Compare(op, a, b);
  }
  condition.value = negated ? !value : value;
  condition.rest = TrimControls(rest);
  return true;
}

bool RunNestedLine(const std::string& text) {
  if (g_nested_lines >= kMaxNestedLines) {
    speech::WriteLineSpeak("Muitos comandos encadeados");
    return false;
  }
  ++g_nested_lines;
  bool result = RunLine(text);
  --g_nested_lines;
  return result;
}

// SE condition [command line]
// SE condition ... [SENÃO ...] FIM SE
bool CmdSe(const std::string& arguments) {
  Condition condition;
  if (!EvaluateCondition(arguments, condition)) return false;
  if (!condition.rest.empty()) return condition.value ? RunNestedLine(condition.rest) : true;
  if (!condition.value) ScanFalseSe();
  return true;
}

// SENÃO: reached when the true branch ran into it; goes on after the first
// FIM SE below.
bool CmdSenao(const std::string& arguments) {
  if (!arguments.empty()) return false;
  ScanToBlockEnd("SE");
  return true;
}

// ENQUANTO condition ... FIM ENQUANTO
bool CmdEnquanto(const std::string& arguments) {
  Condition condition;
  if (!EvaluateCondition(arguments, condition)) return false;
  if (!condition.value) ScanToBlockEnd("ENQUANTO");
  return true;
}

// REPETE variable limit ... FIM REPETE
bool CmdRepete(const std::string& arguments) {
  std::string_view rest = arguments;
  int slot = 0;
  int32_t limit = 0;
  if (!ReadVariableName(rest, slot) || rest.empty()) return false;
  if (!ReadLimit(rest, limit)) return false;
  SetVariableNumber(slot, 1);
  if (limit < 1) ScanToBlockEnd("REPETE");
  return true;
}

// FIM SE | FIM ENQUANTO | FIM REPETE | FIM word
bool CmdFim(const std::string& arguments) {
  if (arguments.empty()) return false;
  if (IsWord(arguments, "ENQUANTO")) {
    static BackwardScans scans;
    int line = ScanBackward("ENQUANTO", scans);
    if (line == 0) return false;
    SetProgramCounter(line - 1);
    return true;
  }
  if (IsWord(arguments, "REPETE")) {
    static BackwardScans scans;
    int line = ScanBackward("REPETE", scans);
    if (line == 0) return false;
    SetProgramCounter(line);
    return ContinueRepete(LineArguments(line));
  }
  return true;  // FIM SE and any other word: nothing to do
}

// DESVIA @label | DESVIA operand | DESVIA SCRIPT file [@label | operand]
bool CmdDesvia(const std::string& arguments) {
  if (arguments.empty()) return false;
  static std::string label;  // kept, so a loop's jump does not allocate
  if (arguments[0] == '@') {  // the common case, read without a copy
    if (arguments.find(' ') != std::string::npos) return false;
    label.assign(arguments, 1);
    return FindLabel(label);
  }
  std::string rest = arguments;
  bool result = false;
  if (StartsWithWord(rest, "SCRIPT")) {
    rest.erase(0, 6);
    if (rest.empty() || rest[0] != ' ') return false;
    std::string file;
    if (!ReadOperand(rest, file)) return false;
    if (!LoadScript(file)) return false;
    SetProgramCounter(0);
    result = true;
  }
  if (!rest.empty() && rest[0] == '@') {
    if (rest.find(' ') != std::string::npos) return result;
    label.assign(rest, 1);
    return FindLabel(label);
  }
  std::string after = rest;
  if (ReadOperand(after, label) && after.empty()) return FindLabel(label);
  return result;
}

// CHAMA @label | CHAMA operand
bool CmdChama(const std::string& arguments) {
  if (arguments.empty()) return false;
  std::string label;
  if (!ReadLabel(arguments, label)) return false;
  if (!PushCall(ProgramCounter())) {
    speech::WriteLineSpeak("Muitas chamadas sem retorno");
    return false;
  }
  return FindLabel(label);
}

// RETORNA: back to the line after the last CHAMA.
bool CmdRetorna(const std::string& arguments) {
  if (!arguments.empty()) return false;
  int line = 0;
  if (!PopCall(line)) {
    speech::WriteLineSpeak("Retorno sem chamada");
    return false;
  }
  SetProgramCounter(line);
  return true;
}

// TERMINA [MUDO]: ends the run (or interactive mode); MUDO ends it without
// announcing the end. Other arguments are ignored.
bool CmdTermina(const std::string& arguments) {
  RequestStop(speech::UpperCasePt(arguments) == "MUDO");
  return true;
}

}  // namespace interp
