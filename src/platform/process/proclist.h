// process/proclist: the running processes of the system.
#pragma once
#include <string>

namespace platform::process {

// True when a running process has `name` (Latin-1) as its program file name
// without folder, or as its full program path, ignoring case.
bool ProcessRunning(const std::string& name);

}  // namespace platform::process
