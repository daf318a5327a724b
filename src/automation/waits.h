// waits: how the automation commands wait on other programs, and the message
// said when there is no graphical desktop.
#pragma once
#include <cstdint>
#include <functional>

namespace automation {

// Waits up to `ms` of real time (also in headless mode: another program is
// being waited for), pumping the console's messages all along, so that
// Ctrl+Break ends the program. Stops early when `done` returns true (checked
// every few milliseconds) or, with `end_on_key`, when a key is typed in the
// console (the key stays queued). Returns true when `done` ended the wait.
bool WaitReal(int64_t ms, const std::function<bool()>& done, bool end_on_key = false);

// True when the graphical desktop is there; otherwise says so (written and
// spoken) and returns false.
bool DesktopPresent();

// The text said when a command needs the graphical desktop and there is none.
extern const char* const kNoDesktop;

}  // namespace automation
