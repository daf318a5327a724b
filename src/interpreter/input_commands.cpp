// LE: keys and lines from the user, lines from slots.
#include "interpreter/input_commands.h"

#include <cstdint>
#include <string>

#include "automation/commands.h"
#include "console/console.h"
#include "console/keyboard.h"
#include "data/command_text.h"
#include "data/file_table.h"
#include "interpreter/operands.h"
#include "speech/line_editor.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace interp {
namespace {

const char kSlotError[] = "Erro no processamento de arquivo";

// Plain line input takes at most this many characters, as the keyboard's.
constexpr size_t kMaxHiddenLine = 126;

// The keyboard remembers the modifiers that came with each queued key.
HeldModifiers KeyboardModifiers() {
  console::KeyModifiers held = console::LastKeyModifiers();
  return HeldModifiers{held.shift, held.ctrl, held.alt};
}

ModifierReader g_modifier_reader = KeyboardModifiers;
SpokenLineReader g_spoken_line_reader = nullptr;

// How the line or key is read.
enum class Source { Spoken, Mute, Hidden, Slot, Edit };

// The text LE gives for a key: the character itself from code 32 on, "#"
// and the code for control characters, "#0#" and the key code for extended
// keys; with the modifier prefix every character is given by its code.
std::string KeyText(uint8_t key, bool with_modifiers) {
  std::string text;
  if (with_modifiers) {
    HeldModifiers held = g_modifier_reader();
    text += held.shift ? '1' : '0';
    text += held.ctrl ? '1' : '0';
    text += held.alt ? '1' : '0';
  }
  if (key == 0) {
    text += "#0#" + std::to_string(console::ReadKey());
  } else if (key < 32 || with_modifiers) {
    text += "#" + std::to_string(key);
  } else {
    text += static_cast<char>(key);
  }
  return text;
}

// A line typed without showing it: each character is echoed as a blank, so
// the cursor moves but nothing of the secret stays on the screen for a
// screen reader to find. Enter ends; Backspace erases; extended keys and
// control characters are ignored.
std::string ReadHiddenLine() {
  std::string line;
  for (;;) {
    uint8_t c = console::ReadKey();
    if (c == 13) break;
    if (c == 0) {
      console::ReadKey();  // the extended key's code
    } else if (c == 8) {
      if (!line.empty()) {
        console::ConsoleWrite("\b");
        line.pop_back();
      }
    } else if (c >= 32 && line.size() < kMaxHiddenLine) {
      line += static_cast<char>(c);
      console::ConsoleWrite(" ");
    }
  }
  console::ConsoleWrite("\r\n");
  return line;
}

std::string ReadSpokenLine() {
  if (g_spoken_line_reader) return g_spoken_line_reader();
  std::string line;
  speech::ReadLineSpoken(line);
  return line;
}

const char kNoPointer[] = "A posi\xE7\xE3o do mouse s\xF3 pode ser lida na janela";

// LE MOUSE [TELA] X Y: the pointer in screen pixels, or relative to the
// console window.
bool ReadMouse(std::string rest) {
  bool screen = false;
  if (data::StartsWithKeyword(rest, "TELA")) {
    rest.erase(0, 4);
    screen = true;
  }
  rest = data::TrimmedText(rest);
  int x = 0, y = 0;
  if (!console::PointerPosition(x, y, screen)) {
    speech::WriteLineSpeak(kNoPointer);
    return false;
  }
  int slot = 0;
  if (!ReadVariableName(rest, slot)) return false;
  SetVariable(slot, std::to_string(x));
  rest = data::TrimmedText(rest);
  if (!ReadVariableName(rest, slot)) return false;
  SetVariable(slot, std::to_string(y));
  return data::TrimmedText(rest).empty();
}

}  // namespace

void SetModifierReader(ModifierReader reader) { g_modifier_reader = reader ? reader : KeyboardModifiers; }
void SetSpokenLineReader(SpokenLineReader reader) { g_spoken_line_reader = reader; }

bool CmdLe(const std::string& arguments) {
  data::ResetIoStatus();
  std::string rest = data::TrimmedText(arguments);
  if (rest.empty()) {
    console::ReadLinePlain();
    return true;
  }
  if (data::StartsWithKeyword(rest, "MOUSE ") || data::StartsWithKeyword(rest, "RATO "))
    return ReadMouse(data::TrimmedText(rest.substr(5)));

  bool with_modifiers = false;
  size_t tecla = speech::UpperCasePt(rest).find("TECLA ");
  if (tecla != std::string::npos) {
    rest.erase(tecla, 6);
    rest = data::TrimmedText(rest);
    if (rest.empty() || rest.back() != '&') rest += '&';
    with_modifiers = true;
  }

  bool single_key = data::TakeTrailingAmpersand(rest);
  if (single_key && rest.empty()) {
    console::ReadKey();
    return true;
  }

  Source source = Source::Spoken;
  char digit = 0;
  if (!rest.empty() && rest[0] == '#') {
    if (!ReadFileNumber(rest, digit)) return false;
    if (rest.empty()) {
      speech::WriteLineSpeak(kSlotError);
      return false;
    }
    source = Source::Slot;
  } else if (data::StartsWithKeyword(rest, "EDITA")) {
    rest.erase(0, 5);
    source = Source::Edit;
  } else if (data::StartsWithKeyword(rest, "CONSOLE ")) {
    // The child program's output; a second variable after it reads a spoken
    // line.
    rest = data::TrimmedText(rest.substr(8));
    int console_slot = 0;
    if (!ReadVariableName(rest, console_slot)) return false;
    SetVariable(console_slot, automation::ReadChildOutput());
    if (data::TrimmedText(rest).empty()) return true;
  } else if (data::StartsWithKeyword(rest, "MUDO")) {
    rest.erase(0, 4);
    source = Source::Mute;
  } else if (data::StartsWithKeyword(rest, "SENHA")) {
    rest.erase(0, 5);
    source = Source::Hidden;
  }

  rest = data::TrimmedText(rest);
  int slot = 0;
  if (!ReadVariableName(rest, slot)) return false;

  std::string text;
  if (source == Source::Slot) {
    if (!data::ReadFromSlot(digit, text)) {
      speech::WriteLineSpeak(kSlotError);
      return false;
    }
  } else if (single_key) {
    // A key read for a password is not said aloud either.
    bool silent = source == Source::Mute || source == Source::Hidden;
    uint8_t key = silent ? console::ReadKey() : static_cast<uint8_t>(speech::ReadKeySay());
    text = KeyText(key, with_modifiers);
  } else if (source == Source::Edit) {
    text = Variable(slot);
    int key = speech::EditFieldHere(text, console::WhereX(), console::WhereY(), true, 1024);
    if (key == speech::kEditEscape) text.clear();
  } else if (source == Source::Mute) {
    text = console::ReadLinePlain();
  } else if (source == Source::Hidden) {
    text = ReadHiddenLine();
  } else {
    text = ReadSpokenLine();
  }
  SetVariable(slot, std::move(text));
  return true;
}

}  // namespace interp
