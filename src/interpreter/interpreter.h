// interpreter: the script store and the run loop.
//
// A script is loaded into the line store (one stored line per file line,
// blanks and control characters trimmed), then run line by line with a
// program counter. Each command line is split into its first word and the
// argument text; the word, upper-cased, is looked up in the command table.
// The first failing command stops the run.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace interp {

// Program start: empties the variables, marks the file slots closed, frees
// the lists, takes the reference time of TEMPO.
void InterpreterInit();

// Which program this is: the Ensaio build computes parenthesised expressions
// in 32 bits and has no ENVIACMD and no HTAMARQ.
enum class Build { Tessel, Ensaio };
void SetBuild(Build build);
Build CurrentBuild();

bool LoadScript(const std::string& name);
bool FindLabel(const std::string& name);

enum RunCode { kRunEnded = 0, kRunFailed = 1, kRunUnreadable = 2, kRunNoLabel = 3 };
struct RunResult {
  int code;
  int line;  // the failing line when code is kRunFailed
};
RunResult RunScript(const std::string& name, const std::string& label);
bool RunLine(const std::string& text);
bool ExecuteLine(const std::string& text, bool single_line);
bool Dispatch(const std::string& word, const std::string& arguments);

// --- State shared with the command handlers -------------------------------

int LineCount();
// Line n (1-based) as stored; empty outside 1..LineCount().
const std::string& Line(int n);
// The argument text of command line n (after its first word, trimmed);
// empty for other lines.
const std::string& LineArguments(int n);
// The canonical form used by block scans: trimmed, upper-cased with
// UpperCasePt, runs of blanks reduced to one (tabs untouched). Cached.
const std::string& CanonicalLine(int n);

// Changes each time a script is loaded, so answers computed over the store
// can be kept until then.
uint64_t StoreGeneration();

int ProgramCounter();
void SetProgramCounter(int line);

bool StopRequested();
void RequestStop(bool quiet);  // TERMINA [MUDO]
void ClearStop();
bool QuietEnd();
bool ErrorFlag();
const std::string& CurrentCommandWord();

// The call stack of CHAMA / RETORNA: 20 saved program counters.
constexpr int kMaxCallDepth = 20;
int CallDepth();
bool PushCall(int return_line);  // false when 20 calls are open
bool PopCall(int& return_line);  // false when none is open

bool DebugEnabled();

// Program arguments after the script name (for PARAMS).
void SetProgramArguments(const std::vector<std::string>& arguments);
const std::vector<std::string>& ProgramArguments();

// Tests: back to the state at program start.
void ResetInterpreterForTests();

}  // namespace interp
