// SEJA: assignment of a value, a built-in word or a function to a variable;
// RANDOMIZA and the random number generator; the TEMPO clock.
#include "interpreter/assignment.h"

#include <string>

#include "console/console.h"
#include "interpreter/interpreter.h"
#include "interpreter/operands.h"
#include "speech/settings.h"

namespace interp {
namespace {

// The 32-bit seed of the generator (0 at program start).
uint32_t g_seed = 0;

// TEMPO's reference: the weekday and the hundredths of the day at start.
int g_start_weekday = 0;
int64_t g_start_hundredths = 0;

const char* const kWeekdays[] = {"Domingo", "Segunda", "Ter\xE7" "a", "Quarta", "Quinta", "Sexta", "S\xE1" "bado"};

// The number with at least two digits ("07").
std::string TwoDigits(int value) {
  std::string text = std::to_string(value);
  return text.size() < 2 ? "0" + text : text;
}

// Hundredths of a second since midnight.
int64_t HundredthsOfDay(const console::Time& time) {
  return ((static_cast<int64_t>(time.hour) * 60 + time.minute) * 60 + time.second) * 100 + time.hundredths;
}

// Hundredths of a second since program start; wraps after a week.
int64_t Tempo() {
  console::Date date = console::GetDate();
  console::Time time = console::GetTime();
  int days = date.day_of_week - g_start_weekday;
  if (days < 0) days += 7;
  return static_cast<int64_t>(days) * 24 * 60 * 60 * 100 + HundredthsOfDay(time) - g_start_hundredths;
}

// The value of a built-in word (the whole text after the target); false
// when the text is not one.
bool BuiltInValue(const std::string& upper, std::string& value) {
  if (upper == "PARAMS") {
    const std::vector<std::string>& arguments = ProgramArguments();
    value = std::to_string(arguments.size());
    for (const std::string& argument : arguments) value += " " + argument;
  } else if (upper == "DATA") {
    console::Date date = console::GetDate();
    value = TwoDigits(date.day) + "/" + TwoDigits(date.month) + "/" + std::to_string(date.year);
  } else if (upper == "HORA") {
    console::Time time = console::GetTime();
    value = TwoDigits(time.hour) + ":" + TwoDigits(time.minute) + ":" + TwoDigits(time.second);
  } else if (upper == "DIA") {
    int weekday = console::GetDate().day_of_week;
    value = weekday >= 0 && weekday < 7 ? kWeekdays[weekday] : "";
  } else if (upper == "CRLF") {
    value = "\r\n";
  } else if (upper == "TEMPO") {
    value = NumberText(Tempo());
  } else {
    return false;
  }
  return true;
}

// PALAVRA n, t: the n-th blank-separated word; a leading blank makes the
// first word empty.
std::string Word(int32_t n, std::string text) {
  for (int32_t i = 1; i < n && !text.empty(); ++i) {
    size_t blank = text.find(' ');
    if (blank == std::string::npos) {
      text.clear();
      break;
    }
    size_t start = text.find_first_not_of(' ', blank + 1);
    if (start == std::string::npos) {
      text.clear();
      break;
    }
    size_t end = text.find_last_not_of(' ');
    text = text.substr(start, end - start + 1);
  }
  size_t blank = text.find(' ');
  if (blank != std::string::npos) text.resize(blank);
  return text;
}

// CHR: "#" and a code; the key texts of LE TECLA ("010#65") lose their
// three modifier digits first; extended keys ("#0#59") give nothing.
std::string Character(std::string code) {
  if (code.size() > 4 && code[3] == '#') {
    for (int i = 0; i < 3; ++i)
      if (code[i] != '0' && code[i] != '1') return "";
    code.erase(0, 3);
  }
  if (code.empty() || code[0] != '#') return "";
  if (code.size() > 1 && code[1] == '0') return "";
  int32_t value = 0;
  if (!ToInteger(code.substr(1), value)) return "";
  return std::string(1, static_cast<char>(static_cast<uint32_t>(value) & 0xFFu));
}

// The functions of SEJA and how many operands each reads.
struct Function {
  const char* word;  // followed by a blank in the script
  int operands;
};

const Function kFunctions[] = {
    {"TAMANHO", 1}, {"MAIUSC", 1}, {"TRIM", 1}, {"POS", 2},
    {"RAND", 1},    {"PALAVRA", 2}, {"CHR", 1}, {"ASC", 1},
};

}  // namespace

void AssignmentInit() {
  g_seed = 0;
  g_start_weekday = console::GetDate().day_of_week;
  g_start_hundredths = HundredthsOfDay(console::GetTime());
}

int32_t NextRandom(int32_t n) {
  g_seed = g_seed * 134775813u + 1u;
  // |seed * n| < 2^63: the product fits; the quotient truncates toward 0.
  int64_t product = static_cast<int64_t>(g_seed) * n;
  return static_cast<int32_t>(product / 4294967296LL);
}

bool ApplyFunction(const std::string& word, const std::string& first, const std::string& second,
                   std::string& value) {
  if (word == "TAMANHO") {
    value = NumberText(static_cast<int64_t>(first.size()));
  } else if (word == "MAIUSC") {
    value = speech::UpperCasePt(first);
  } else if (word == "TRIM") {
    value = TrimControls(first);
  } else if (word == "POS") {
    size_t found = first.empty() ? std::string::npos : second.find(first);
    value = NumberText(found == std::string::npos ? 0 : static_cast<int64_t>(found) + 1);
  } else if (word == "RAND") {
    int32_t n = 0;
    if (!ToInteger(first, n)) return false;
    value = NumberText(NextRandom(n));
  } else if (word == "PALAVRA") {
    int32_t n = 0;
    if (!ToInteger(first, n) || n < 1) return false;
    value = Word(n, second);
  } else if (word == "CHR") {
    value = Character(first);
  } else if (word == "ASC") {
    value = first.size() == 1 ? "#" + std::to_string(static_cast<unsigned char>(first[0])) : "";
  } else {
    return false;
  }
  return true;
}

// SEJA target [=] (PARAMS | DATA | HORA | DIA | CRLF | TEMPO
//                 | function operand [operand] | operand)
bool CmdSeja(const std::string& arguments) {
  std::string rest = arguments;
  int slot = 0;
  if (!ReadVariableName(rest, slot) || rest.empty()) return false;
  if (rest[0] == '=') {
    rest.erase(0, 1);
    SkipBlanks(rest);
  }
  if (rest.empty()) return false;

  std::string upper = speech::UpperCasePt(rest);
  std::string value;
  if (BuiltInValue(upper, value)) {
    SetVariable(slot, std::move(value));
    return true;
  }

  for (const Function& function : kFunctions) {
    std::string prefix = std::string(function.word) + " ";
    if (upper.compare(0, prefix.size(), prefix) != 0) continue;
    rest.erase(0, prefix.size());
    std::string first, second;
    if (!ReadOperand(rest, first)) return false;
    if (function.operands == 2 && !ReadOperand(rest, second)) return false;
    if (!ApplyFunction(function.word, first, second, value)) return false;
    SetVariable(slot, std::move(value));
    // The value is assigned even when text follows; the command then fails.
    return rest.empty();
  }

  if (!ReadOperand(rest, value)) return false;
  SetVariable(slot, std::move(value));
  return rest.empty();
}

// RANDOMIZA: no argument allowed.
bool CmdRandomiza(const std::string& arguments) {
  if (!arguments.empty()) return false;
  console::Date date = console::GetDate();
  int64_t seed = HundredthsOfDay(console::GetTime()) + static_cast<int64_t>(date.day) * 8640000;
  g_seed = static_cast<uint32_t>(seed);
  return true;
}

}  // namespace interp
