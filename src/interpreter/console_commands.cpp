// ESCREVE to the console, COR, FUNDO, TELA, TITULO / TÍTULO, and CMD.
#include "interpreter/console_commands.h"

#include <cstdint>
#include <string>

#include "console/console.h"
#include "interpreter/control_flow.h"
#include "interpreter/operands.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace interp {
namespace {

// The open-file table's writer, once the files module has registered it.
SlotWriter g_slot_writer;

const char kSlotError[] = "Erro no processamento de arquivo";

// Reads one operand and converts it as an integer; text after it is ignored.
bool ReadColour(const std::string& arguments, int32_t& colour) {
  std::string rest = arguments, text;
  return ReadOperand(rest, text) && ToInteger(text, colour);
}


}  // namespace

void SetSlotWriter(const SlotWriter& writer) { g_slot_writer = writer; }

// ESCREVE [#n | MUDO] operands [&]: writes the joined values and a line
// break (none with "&"), speaks them unless MUDO, and waits until the speech
// has ended. With "#n" the text goes to file or connection slot n.
bool CmdEscreve(const std::string& arguments) {
  if (g_slot_writer.clear_status) g_slot_writer.clear_status();
  std::string rest = arguments;
  bool line_break = !TakeTrailingAmpersand(rest);
  int slot = -1;
  bool mute = false;
  if (!rest.empty() && rest[0] == '#') {
    if (rest.size() < 2 || rest[1] < '0' || rest[1] > '9') {
      speech::WriteLineSpeak(kSlotError);
      return false;
    }
    slot = rest[1] - '0';
    rest.erase(0, 2);
  } else if (StartsWithWord(rest, "MUDO")) {
    rest.erase(0, 4);
    mute = true;
  }
  rest = TrimBlanks(rest);

  std::string text;
  if (rest.empty()) {
    line_break = true;  // an empty ESCREVE always ends the line
  } else {
    std::string value;
    while (ReadOperand(rest, value)) text += value;
  }

  if (slot >= 0) {
    if (!g_slot_writer.write || !g_slot_writer.write(slot, text, line_break)) {
      speech::WriteLineSpeak(kSlotError);
      return false;
    }
  } else {
    console::ConsoleWrite(text);
    if (line_break) console::ConsoleWrite("\r\n");
    if (!mute) speech::Speak(text);
  }
  if (!rest.empty()) return false;
  speech::WaitWhileSpeaking();
  return true;
}

// COR colour: the text colour (ignored when the colours are fixed).
bool CmdCor(const std::string& arguments) {
  int32_t colour = 0;
  if (!ReadColour(arguments, colour)) return false;
  console::TextColor(colour);
  return true;
}

// FUNDO colour: the background colour.
bool CmdFundo(const std::string& arguments) {
  int32_t colour = 0;
  if (!ReadColour(arguments, colour)) return false;
  console::TextBackground(colour);
  return true;
}

// TELA LIMPA | MINIMIZADA | NORMAL | @x,y | letter (whose value is one of
// these, as stored)
bool CmdTela(const std::string& arguments) {
  if (arguments.empty()) return false;
  std::string command = speech::UpperCasePt(arguments);
  if (command.size() == 1 && command[0] >= 'A' && command[0] <= 'Z')
    command = Variable(static_cast<unsigned char>(command[0]));

  if (command == "LIMPA") {
    console::ClearScreen();
    return true;
  }
  if (command == "MINIMIZADA") {
    console::ShowWindow(platform::window::ShowMode::Hide);
    return true;
  }
  if (command == "NORMAL") {
    console::ShowWindow(platform::window::ShowMode::Restore);
    return true;
  }
  if (!command.empty() && command[0] == '@') {
    size_t comma = command.find(',');
    if (comma == std::string::npos) return false;
    int32_t column = 0, row = 0;
    if (!ToInteger(TrimBlanks(command.substr(1, comma - 1)), column) ||
        !ToInteger(TrimBlanks(command.substr(comma + 1)), row))
      return false;
    console::GotoXY(column, row);
    return true;
  }
  return false;
}

// TITULO text: the console window's title; an unreadable operand gives the
// empty title.
bool CmdTitulo(const std::string& arguments) {
  if (arguments.empty()) return false;
  std::string rest = arguments, title;
  if (!ReadOperand(rest, title)) title.clear();
  console::SetTitle(title);
  return true;
}

// CMD text: runs the value as one script line (block words refused).
bool CmdCmd(const std::string& arguments) {
  std::string rest = arguments, line;
  if (!ReadOperand(rest, line) || !rest.empty()) return false;
  return RunNestedLine(line);
}

}  // namespace interp
