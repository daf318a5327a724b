// process: asking the desktop to open a program, a document or an address.
#pragma once
#include <string>

namespace platform::process {

// Opens `program` with `parameters` (one argument, may be empty) in the
// working folder `folder`, without waiting for it:
//   - a program that is an executable file runs itself;
//   - a program named by a command (found on the PATH) gets the parameters;
//   - a document (or, with no program, the parameters) goes to xdg-open.
// Script names (with "\" or a drive) are turned into native paths. The
// started program reads nothing from us and writes nowhere we show.
// False when nothing could be started.
bool ShellOpen(const std::string& program, const std::string& parameters, const std::string& folder);

}  // namespace platform::process
