// control_flow: conditions, blocks, loops, jumps, calls and the end of the
// run.
//
// Blocks are not compiled: each block command finds its partner by scanning
// the line store when it runs; only CHAMA keeps a stack.
#pragma once
#include <string>

namespace interp {

// A condition as SE and ENQUANTO read it: [NÃO] a operator b, or
// [NÃO] a EM [list]. `rest` is the text after it, trimmed.
struct Condition {
  bool value = false;
  std::string rest;
};
// False when the condition is invalid.
bool EvaluateCondition(const std::string& text, Condition& condition);

// Runs a line built inside another one (the one-line SE, CMD) with RunLine.
// Lines that keep running lines inside themselves stop at 100 levels with
// "Muitos comandos encadeados", so a CMD that runs itself cannot exhaust
// the stack.
bool RunNestedLine(const std::string& text);

bool CmdSe(const std::string& arguments);        // SE condition [command line]
bool CmdSenao(const std::string& arguments);     // SENAO / SENÃO
bool CmdEnquanto(const std::string& arguments);  // ENQUANTO condition
bool CmdRepete(const std::string& arguments);    // REPETE variable limit
bool CmdFim(const std::string& arguments);       // FIM SE | ENQUANTO | REPETE | word
bool CmdDesvia(const std::string& arguments);    // DESVIA @label | operand | SCRIPT file [@label]
bool CmdChama(const std::string& arguments);     // CHAMA @label | operand
bool CmdRetorna(const std::string& arguments);   // RETORNA
bool CmdTermina(const std::string& arguments);   // TERMINA [MUDO]

}  // namespace interp
