// command_filter: lets a test harness narrow the command table.
//
// The fuzzer runs arbitrary lines and must keep away from commands that
// wait for keys or reach outside the process (files, programs, network):
// with a filter set, a word the filter refuses is an unknown command.
#pragma once

namespace interp {

// True when the upper-case word may run.
using CommandFilter = bool (*)(const char* word);
// Null (the default) lets every command run.
void SetCommandFilter(CommandFilter filter);

}  // namespace interp
