// lifecycle: how the program ends.
//
// Modules register what must happen at exit (finish the capture file, write
// the screen file, restore the terminal); Exit runs those in reverse order of
// registration, logs "exit CODE" and ends the process.
#pragma once
#include <functional>

namespace platform {

void AtExit(std::function<void()> handler);
[[noreturn]] void Exit(int code);

}  // namespace platform
