// process/spawn: starting programs.
//
// Two ways to start one: the shell's open (the program itself when it is an
// executable, else the desktop's opener for the file), which runs on its own;
// and the piped child, one at a time, whose standard input, output and error
// are pipes the script drives. The child runs in its own process group and
// sees only its own ends of the pipes.
#pragma once
#include <string>
#include <vector>

namespace platform::process {

enum class OpenShow { Normal, Hidden };

// Opens `program` with `parameters` (split into words at blanks; a word in
// double quotes may hold blanks) in `folder` (empty: the current folder).
// Returns a process id (> 0), or 0 when nothing could be started (no such
// program or file). With `watch`, the id is the program's, which the caller
// follows with ProgramRunning (this layer reaps it); without, the program
// runs wholly on its own.
int OpenProgram(const std::string& program, const std::string& parameters, const std::string& folder,
                OpenShow show, bool watch = false);
// True while a process started by OpenProgram with `watch` has not ended.
bool ProgramRunning(int pid);

// Starts the piped child: program and parameters as above, searched in PATH.
// A child started before is replaced: its pipes are closed first (so it sees
// the end of its input) and it is reaped once it ends. False when the
// program could not be started (then there is no child).
bool StartChild(const std::string& program, const std::string& parameters);
// True while there is a child record (started and not replaced).
bool HasChild();
// Writes `bytes` to the child's input; nothing happens without a child or
// when the child no longer reads.
void WriteChild(const std::string& bytes);
// What the child's output and error pipes hold now, without waiting (each at
// most 65535 bytes).
void ReadChild(std::string& output, std::string& error);
// Waits up to `timeout_ms` until the child's output or error pipe can be
// read (bytes, or its end); true when one can.
bool WaitChildReadable(int timeout_ms);
// Closes the child's pipes and reaps every child that has ended; called at
// program end (a child still running is left to run on).
void EndChild();

// Descriptors and processes this layer holds (tests).
int OpenChildDescriptors();
int UnreapedChildren();

// Splits a parameter text into words: blanks separate, double quotes group.
std::vector<std::string> SplitParameters(const std::string& parameters);

}  // namespace platform::process
