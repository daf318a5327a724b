// The list table and the LISTA command.
#include "data/lists.h"

#include <memory>
#include <string>
#include <vector>

#include "interpreter/operands.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace data {
namespace {

struct List {
  std::string name;                // as written in the script
  std::vector<std::string> items;  // in insertion order, duplicates allowed
};

// Slot 0-19 of the table: empty, or owning one list.
std::unique_ptr<List>& Slot(int index) {
  static std::unique_ptr<List> slots[kMaxLists];
  return slots[index];
}

// The list of that name (compared with case), or null.
List* Find(const std::string& name) {
  for (int i = 0; i < kMaxLists; ++i)
    if (Slot(i) && Slot(i)->name == name) return Slot(i).get();
  return nullptr;
}

// Removes `word` from the front of `rest` when `rest` begins with it
// (upper-cased), and the blanks after it.
bool TakeWord(std::string& rest, const char* word) {
  if (!interp::StartsWithWord(rest, word)) return false;
  rest.erase(0, std::char_traits<char>::length(word));
  interp::SkipBlanks(rest);
  return true;
}

// CRIA: a new empty list in the first empty slot.
bool Create(const std::string& name) {
  if (Find(name)) {
    speech::WriteLineSpeak("A lista especificada j\xE1 existe");
    return false;
  }
  for (int i = 0; i < kMaxLists; ++i) {
    if (!Slot(i)) {
      Slot(i) = std::make_unique<List>(List{name, {}});
      return true;
    }
  }
  speech::WriteLineSpeak("Muitas listas no programa (m\xE1" "ximo 20)");
  return false;
}

// APAGA: destroys the list; false when there is none of that name.
bool Delete(const std::string& name) {
  bool found = false;
  for (int i = 0; i < kMaxLists; ++i) {
    if (Slot(i) && Slot(i)->name == name) {
      Slot(i).reset();
      found = true;
    }
  }
  return found;
}

}  // namespace

const std::vector<std::string>* FindList(const std::string& name) {
  const List* list = Find(name);
  return list ? &list->items : nullptr;
}

void ResetLists() {
  for (int i = 0; i < kMaxLists; ++i) Slot(i).reset();
}

// LISTA [name] CRIA | APAGA | TAMANHO V | ITEM n V | ADICIONA text | DELETA text
// Text after the last operand makes the command fail before it acts, so
// nothing is stored or changed halfway.
bool CmdLista(const std::string& arguments) {
  std::string rest = arguments;
  std::string name;
  if (!interp::ReadListName(rest, name)) return false;
  rest = interp::TrimControls(rest);

  if (TakeWord(rest, "CRIA")) return rest.empty() && Create(name);
  if (TakeWord(rest, "APAGA")) return rest.empty() && Delete(name);

  if (TakeWord(rest, "TAMANHO")) {
    List* list = Find(name);
    int slot = 0;
    if (!list || !interp::ReadVariableName(rest, slot) || !rest.empty()) return false;
    interp::SetVariable(slot, interp::NumberText(static_cast<int64_t>(list->items.size())));
    return true;
  }

  if (TakeWord(rest, "ITEM")) {
    List* list = Find(name);
    std::string position_text;
    int32_t position = 0;
    int slot = 0;
    if (!list || !interp::ReadOperand(rest, position_text) || !interp::ToInteger(position_text, position) ||
        !interp::ReadVariableName(rest, slot) || !rest.empty())
      return false;
    if (position < 0 || static_cast<size_t>(position) >= list->items.size()) return false;
    interp::SetVariable(slot, list->items[static_cast<size_t>(position)]);
    return true;
  }

  if (TakeWord(rest, "ADICIONA")) {
    List* list = Find(name);
    std::string text;
    if (!list || !interp::ReadOperand(rest, text) || !rest.empty()) return false;
    list->items.push_back(std::move(text));
    return true;
  }

  if (TakeWord(rest, "DELETA")) {
    List* list = Find(name);
    std::string text;
    if (!list || !interp::ReadOperand(rest, text) || !rest.empty()) return false;
    std::string wanted = speech::UpperCasePt(text);
    for (auto item = list->items.begin(); item != list->items.end(); ++item) {
      if (speech::UpperCasePt(*item) == wanted) {
        list->items.erase(item);
        return true;
      }
    }
    return false;
  }

  return false;
}

}  // namespace data
