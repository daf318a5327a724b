// MENU: a menu drawn on the console in a rectangle the script chooses, run
// by the console's list box.
#include "automation/menu_commands.h"

#include <cstdint>
#include <string>

#include "console/menu.h"
#include "data/command_text.h"
#include "interpreter/operands.h"

namespace automation {
namespace {

// The position a run starts from when P holds no number.
int g_last_position = 1;

// Scan codes of F1 to F12: a choice ended with one of them is final; the
// other extended keys (Left, Right, Ctrl+F1 ...) run the menu again.
constexpr uint8_t kFirstFunctionKey = 59;
constexpr uint8_t kLastFunctionKey = 70;

bool ReadInteger(std::string& rest, int32_t& value) {
  std::string text;
  return interp::ReadOperand(rest, text) && interp::ToInteger(text, value);
}

// Takes the subcommand word and the blanks after it.
bool TakeWord(std::string& rest, const char* word) {
  if (!data::StartsWithKeyword(rest, word)) return false;
  rest = data::TrimmedText(rest.substr(std::string(word).size()));
  return true;
}

// What K receives for the key that ended the choice.
std::string KeyText(const console::ListChoice& choice) {
  if (choice.key == 0) return "#0#" + std::to_string(choice.extended);
  if (choice.key >= 32) return std::string(1, static_cast<char>(choice.key));
  return "#" + std::to_string(choice.key);
}

bool Cria(std::string rest) {
  int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  if (!ReadInteger(rest, x1) || !ReadInteger(rest, y1) || !ReadInteger(rest, x2) || !ReadInteger(rest, y2)) return false;
  if (!rest.empty()) return false;
  console::ListCreate(x1, y1, x2, y2);
  g_last_position = 1;
  return true;
}

bool Adiciona(std::string rest) {
  std::string text;
  if (!interp::ReadOperand(rest, text) || !rest.empty()) return false;
  return console::ListAdd(text);
}

bool Executa(std::string rest) {
  int p = 0, k = 0, t = 0;
  if (!interp::ReadVariableName(rest, p) || !interp::ReadVariableName(rest, k) || !interp::ReadVariableName(rest, t))
    return false;
  if (!rest.empty() || !console::ListExists()) return false;
  int32_t start = 0;
  if (!interp::ToInteger(interp::Variable(p), start)) start = g_last_position;
  if (start < 1) start = 1;
  console::ListChoice choice;
  do {
    choice = console::ListRun(start, true);
  } while (choice.key == 0 && (choice.extended < kFirstFunctionKey || choice.extended > kLastFunctionKey));
  g_last_position = choice.item;
  interp::SetVariable(p, std::to_string(choice.item));
  interp::SetVariable(k, KeyText(choice));
  interp::SetVariable(t, console::ListGet(choice.item).text);
  return true;
}

}  // namespace

bool CmdMenu(const std::string& arguments) {
  std::string rest = data::TrimmedText(arguments);
  if (TakeWord(rest, "CRIA")) return Cria(rest);
  if (TakeWord(rest, "ADICIONA")) return Adiciona(rest);
  if (TakeWord(rest, "EXECUTA")) return Executa(rest);
  if (TakeWord(rest, "TERMINA")) {
    if (!rest.empty()) return false;
    console::ListClose();
    return true;
  }
  return false;
}

}  // namespace automation
