// menu_commands: MENU, a menu the script builds and runs on the console.
#pragma once
#include <string>

namespace automation {

// MENU CRIA x1 y1 x2 y2 / ADICIONA text / EXECUTA P K T / TERMINA
bool CmdMenu(const std::string& arguments);

}  // namespace automation
