// commands: the command table.
//
// Every word of the script language has one entry, listed in one place
// (command_table.cpp) in lookup order; a word whose handler is not built has
// a null handler and is an unknown command. Handlers receive the argument
// text with blanks and control characters trimmed at both ends, and return
// success or failure; a handler that fails for a reason the user must hear
// writes and speaks its own message first.
#pragma once
#include <cstdint>
#include <string>

namespace interp {

using CommandHandler = bool (*)(const std::string& arguments);

struct Command {
  const char* word;  // upper-case, Latin-1
  CommandHandler handler;
};

// The handler of an upper-cased word, or null when it is not a command of
// this build.
CommandHandler FindCommand(const std::string& word);

// Changes whenever what FindCommand answers may change (a new filter), so a
// caller may keep its answers until then.
uint32_t CommandTableGeneration();

// All entries in lookup order (tests).
const Command* CommandTable(int& count);

}  // namespace interp
