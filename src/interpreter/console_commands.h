// console_commands: the commands that write to the console and set it up
// (ESCREVE, COR, FUNDO, TELA, TITULO), and CMD, which runs a line built by
// the script.
#pragma once
#include <string>

namespace interp {

bool CmdEscreve(const std::string& arguments);  // ESCREVE [#n | MUDO] operands [&]
bool CmdCor(const std::string& arguments);      // COR colour
bool CmdFundo(const std::string& arguments);    // FUNDO colour
bool CmdTela(const std::string& arguments);     // TELA LIMPA | MINIMIZADA | NORMAL | @x,y | letter
bool CmdTitulo(const std::string& arguments);   // TITULO / TÍTULO text
bool CmdCmd(const std::string& arguments);      // CMD text

// The open-file table's side of ESCREVE "#n". `write` writes `text` to slot
// n (0-9), followed by a line break when `line_break` is set, sets the I/O
// status, and returns false when the slot is not open; `clear_status` sets
// the I/O status to 0 (every ESCREVE starts so). Until a writer is
// registered every slot counts as closed.
struct SlotWriter {
  bool (*write)(int slot, const std::string& text, bool line_break) = nullptr;
  void (*clear_status)() = nullptr;
};
void SetSlotWriter(const SlotWriter& writer);

}  // namespace interp
