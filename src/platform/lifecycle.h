// lifecycle: how the program ends.
//
// Modules register what must happen at exit (finish the capture file, write
// the screen file, restore the terminal); Exit runs those in reverse order of
// registration, logs "exit CODE" and ends the process.
#pragma once
#include <functional>
#include <string>

namespace platform {

void AtExit(std::function<void()> handler);

// The folder the running program was started from (where an installed
// program finds its shared files); empty when it cannot be known.
std::string ProgramFolder();
[[noreturn]] void Exit(int code);

}  // namespace platform
