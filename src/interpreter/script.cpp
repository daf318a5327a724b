// The script store and the run loop.
//
// The store keeps, for every line of the script, the line as stored, its
// canonical form for the block scans, and the line split once into command
// word and arguments, so running a loop a million times does no re-parsing.
#include <algorithm>
#include <memory>
#include <string_view>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "console/console.h"
#include "data/data_module.h"
#include "data/file_table.h"
#include "data/lists.h"
#include "interpreter/assignment.h"
#include "interpreter/commands.h"
#include "interpreter/interpreter.h"
#include "interpreter/operands.h"
#include "interpreter/scramble.h"
#include "platform/files.h"
#include "platform/lifecycle.h"
#include "platform/text.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace interp {
namespace {

enum class LineKind { Empty, Comment, Label, Command };

struct StoredLine {
  std::string text;        // trimmed line
  std::string canonical;   // upper-cased, blanks folded
  LineKind kind = LineKind::Empty;
  std::string word;        // command word, ASCII upper-cased (as shown by DEBUG)
  std::string lookup;      // the word upper-cased with UpperCasePt
  std::string arguments;   // argument text, trimmed
  bool block_word = false;  // a word refused on a line run by itself
  // FindCommand's answer for `lookup`, kept while the program and the
  // command table stay as they were when it was asked (resolved_for).
  mutable CommandHandler handler = nullptr;
  mutable uint32_t resolved_for = 0;
};

const std::string kEmpty;

struct Interpreter {
  // lines[0] is line 1. Shared so that a command that loads another script
  // (DESVIA SCRIPT) does not pull the running line from under itself.
  std::shared_ptr<const std::vector<StoredLine>> lines = std::make_shared<std::vector<StoredLine>>();
  int program_counter = 1;
  bool stop = true;
  bool quiet_end = false;
  bool error = false;
  bool debug = false;
  // The word of the line running or run last; it points into a stored line
  // and goes back to kEmpty whenever that line may go away.
  const std::string* current_word = &kEmpty;
  int call_depth = 0;
  int call_stack[kMaxCallDepth] = {};
  Build build = Build::Tessel;
  std::vector<std::string> arguments;
};

Interpreter g_interpreter;
// Scripts loaded since the program started (never reset, so a store is
// never taken for an earlier one).
uint64_t g_loads = 0;
Interpreter& I() { return g_interpreter; }

// What a kept FindCommand answer depends on: the command table's generation
// and the build.
uint32_t DispatchKey() {
  return CommandTableGeneration() * 2 + (g_interpreter.build == Build::Ensaio ? 1 : 0);
}



std::string AsciiUpper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

std::string Canonical(const std::string& trimmed) {
  std::string out;
  out.reserve(trimmed.size());
  for (char c : trimmed) {
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out += speech::UpperCasePt(c);
  }
  return out;
}

// Splits a trimmed line into word and argument text (text after the first
// blank; a tab does not separate).
void Split(const std::string& line, std::string& word, std::string& arguments) {
  size_t blank = line.find(' ');
  word = AsciiUpper(line.substr(0, blank));
  arguments = blank == std::string::npos ? std::string() : line.substr(blank + 1);
}

bool RefusedInSingleLine(const std::string& word) {
  return word == "REPETE" || word == "ENQUANTO" || word == "SENAO" || word == "SEN\xC3O" || word == "FIM";
}

StoredLine MakeStoredLine(std::string_view raw) {
  StoredLine line;
  size_t start = 0, end = raw.size();
  while (start < end && static_cast<unsigned char>(raw[start]) <= 32) ++start;
  while (end > start && static_cast<unsigned char>(raw[end - 1]) <= 32) --end;
  line.text.assign(raw.data() + start, end - start);
  line.canonical = Canonical(line.text);
  if (line.text.empty()) line.kind = LineKind::Empty;
  else if (line.text[0] == '*') line.kind = LineKind::Comment;
  else if (line.text[0] == '@') line.kind = LineKind::Label;
  else {
    line.kind = LineKind::Command;
    Split(line.text, line.word, line.arguments);
    line.lookup = speech::UpperCasePt(line.word);
    line.arguments = TrimControls(line.arguments);
    line.block_word = RefusedInSingleLine(line.lookup);
  }
  return line;
}

// Unscrambles each line of a whole file, keeping its line breaks as they are.
std::string UnscrambleText(const std::string& contents) {
  std::string plain;
  plain.reserve(contents.size());
  size_t start = 0;
  for (;;) {
    size_t end = contents.find_first_of("\r\n", start);
    plain += UnscrambleLine(contents.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    plain += contents[end];
    start = end + 1;
  }
  return plain;
}

// Dispatch with the word already upper-cased and the arguments trimmed;
// `handler` is FindCommand's answer for `lookup`.
bool DispatchResolved(const std::string& word, CommandHandler handler, const std::string& arguments) {
  Interpreter& in = I();
  if (in.debug) {
    std::string echo = word;
    echo += ' ';
    echo += arguments;
    speech::WriteLineSpeak(echo);
  }
  if (!handler) {
    speech::WriteLineSpeak("Comando inv\xE1lido: " + word);
    return false;
  }
  try {
    return handler(arguments);
  } catch (const std::bad_alloc&) {
    // The memory the command needed could not be had: it fails like any
    // failing command, and the program goes on.
    speech::WriteLineSpeak("Mem\xF3ria insuficiente");
    return false;
  }
}

bool DispatchPrepared(const std::string& word, const std::string& lookup, const std::string& arguments) {
  return DispatchResolved(word, FindCommand(lookup), arguments);
}

bool ExecuteStored(const StoredLine& line) {
  if (line.kind != LineKind::Command) return true;
  Interpreter& in = I();
  in.current_word = &line.word;
  uint32_t key = DispatchKey();
  if (line.resolved_for != key) {
    line.handler = FindCommand(line.lookup);
    line.resolved_for = key;
  }
  bool result = DispatchResolved(line.word, line.handler, line.arguments);
  in.error = !result;
  return result;
}

}  // namespace

// --- DEBUG ---------------------------------------------------------------------

// DEBUG [-|N...]: "-" or a capital N first turns the echo off; anything else on.
bool CmdDebug(const std::string& arguments) {
  bool off = arguments == "-" || (!arguments.empty() && arguments[0] == 'N');
  I().debug = !off;
  speech::WriteLineSpeak(off ? "Debug desligado" : "Debug ligado");
  return true;
}

// --- the store -----------------------------------------------------------------

bool LoadScript(const std::string& name) {
  std::string contents;
  // Only regular files: a device such as /dev/zero would never end.
  if (!platform::files::IsRegularFile(name) || !platform::files::ReadAll(name, contents)) return false;
  // A scrambled script is unscrambled first, line by line with its line
  // breaks kept: its scrambled bytes say nothing about the text's encoding.
  bool scrambled = AsciiUpper(name).find(".CRP") != std::string::npos;
  if (scrambled) contents = UnscrambleText(contents);
  // Scripts saved by today's editors are UTF-8: take them as the Latin-1
  // text they stand for.
  if (platform::IsUtf8Text(contents)) contents = platform::Utf8ToLatin1(contents);
  auto lines = std::make_shared<std::vector<StoredLine>>();
  lines->reserve(static_cast<size_t>(std::count(contents.begin(), contents.end(), '\n')) + 1);
  std::string_view all = contents;
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find_first_of("\r\n", start);
    lines->push_back(MakeStoredLine(all.substr(start, end == std::string::npos ? std::string::npos : end - start)));
    if (end == std::string::npos) break;
    start = end + 1;
    if (contents[end] == '\r' && start < contents.size() && contents[start] == '\n') ++start;
  }
  I().current_word = &kEmpty;
  I().lines = std::move(lines);
  ++g_loads;
  return true;
}

// The first line of each label name (upper-cased) of the loaded script,
// built on the first jump after a load. The weak pointer keeps the indexed
// store's identity, so a new store is always seen as new.
struct LabelIndex {
  std::weak_ptr<const std::vector<StoredLine>> lines;
  std::unordered_map<std::string, int> first_line;
  // The name asked for last, as asked, and its line: a loop jumps to the
  // same label again and again.
  std::string last_name;
  int last_line = 0;
};

bool FindLabel(const std::string& name) {
  Interpreter& in = I();
  static LabelIndex index;
  bool same_store = !index.lines.owner_before(in.lines) && !in.lines.owner_before(index.lines);
  if (!same_store || index.lines.expired()) {
    index.lines = in.lines;
    index.first_line.clear();
    index.last_line = 0;
    for (size_t i = 0; i < in.lines->size(); ++i) {
      const StoredLine& line = (*in.lines)[i];
      if (line.kind == LineKind::Label)
        index.first_line.emplace(speech::UpperCasePt(line.text.substr(1)), static_cast<int>(i) + 1);
    }
  }
  if (index.last_line > 0 && name == index.last_name) {
    in.program_counter = index.last_line;
    return true;
  }
  auto found = index.first_line.find(speech::UpperCasePt(name));
  if (found == index.first_line.end()) return false;
  in.program_counter = found->second;
  index.last_name = name;
  index.last_line = found->second;
  return true;
}

RunResult RunScript(const std::string& name, const std::string& label) {
  Interpreter& in = I();
  if (!LoadScript(name)) return {kRunUnreadable, 0};
  in.program_counter = 1;
  in.error = false;
  in.stop = false;
  in.current_word = &kEmpty;
  in.call_depth = 0;
  data::ResetIoStatus();
  auto no_lines = std::make_shared<const std::vector<StoredLine>>();
  if (!label.empty() && !FindLabel(label)) {
    in.current_word = &kEmpty;
    in.lines = no_lines;
    return {kRunNoLabel, 0};
  }
  unsigned lines_run = 0;
  // Keeps the store of the running line alive when a command loads another
  // script (DESVIA SCRIPT); refreshed only when the store changed.
  std::shared_ptr<const std::vector<StoredLine>> holder = in.lines;
  while (in.program_counter <= static_cast<int>(in.lines->size()) && !in.stop && !in.error) {
    // A loop that neither writes nor waits still lets the window breathe, so
    // Ctrl+Break and the close box can always end it.
    if ((++lines_run & 4095) == 0) console::PumpMessages();
    if (holder != in.lines) {
      in.current_word = &kEmpty;
      holder = in.lines;
    }
    const StoredLine& line = (*holder)[in.program_counter - 1];
    if (line.kind == LineKind::Command) ExecuteStored(line);
    if (!in.stop && !in.error) ++in.program_counter;
  }
  in.current_word = &kEmpty;
  in.lines = no_lines;
  return {in.error ? kRunFailed : kRunEnded, in.program_counter};
}

// Lines run one at a time (the one-line SE, CMD, interactive mode) are
// parsed once and kept by their text: a loop runs the same few texts again
// and again. The cache is emptied only when no such line is running, so a
// line never disappears while it runs.
int g_running_single_lines = 0;

const StoredLine& ParsedLine(const std::string& text) {
  static std::unordered_map<std::string, StoredLine> cache;
  // The entry found last: a loop asks for the same text again at once.
  static const std::pair<const std::string, StoredLine>* last = nullptr;
  if (last && last->first == text) return last->second;
  auto found = cache.find(text);
  if (found == cache.end()) {
    if (cache.size() >= 512 && g_running_single_lines == 0) {
      I().current_word = &kEmpty;
      cache.clear();
    }
    found = cache.emplace(text, MakeStoredLine(text)).first;
  }
  last = &*found;
  return found->second;
}

bool ExecuteLine(const std::string& text, bool single_line) {
  const StoredLine& line = ParsedLine(text);
  if (line.kind != LineKind::Command) return true;
  // Compared fully upper-cased, so "senão" typed in lower case is refused
  // like "SENÃO".
  if (single_line && line.block_word) return false;
  ++g_running_single_lines;
  bool result = ExecuteStored(line);
  --g_running_single_lines;
  return result;
}

bool RunLine(const std::string& text) { return ExecuteLine(text, true); }

bool Dispatch(const std::string& word, const std::string& arguments) {
  std::string upper = AsciiUpper(word);
  return DispatchPrepared(upper, speech::UpperCasePt(upper), TrimControls(arguments));
}

// --- state -----------------------------------------------------------------------

void InterpreterInit() {
  Interpreter& in = I();
  in.program_counter = 1;
  in.stop = true;
  in.call_depth = 0;
  ResetVariables();
  data::ResetLists();
  data::DataInit();
  static bool data_end_registered = false;
  if (!data_end_registered) {
    // Open files and the binary output file reach the disk however the
    // program ends.
    platform::AtExit(data::DataEnd);
    data_end_registered = true;
  }
  AssignmentInit();
  console::Delay(1);
}

void SetBuild(Build build) { I().build = build; }
Build CurrentBuild() { return I().build; }

int LineCount() { return static_cast<int>(I().lines->size()); }

const std::string& Line(int n) {
  const Interpreter& in = I();
  if (n < 1 || n > static_cast<int>(in.lines->size())) return kEmpty;
  return (*in.lines)[n - 1].text;
}

const std::string& LineArguments(int n) {
  const Interpreter& in = I();
  if (n < 1 || n > static_cast<int>(in.lines->size())) return kEmpty;
  return (*in.lines)[n - 1].arguments;
}

const std::string& CanonicalLine(int n) {
  const Interpreter& in = I();
  if (n < 1 || n > static_cast<int>(in.lines->size())) return kEmpty;
  return (*in.lines)[n - 1].canonical;
}

uint64_t StoreGeneration() { return g_loads; }

int ProgramCounter() { return I().program_counter; }
void SetProgramCounter(int line) { I().program_counter = line; }

bool StopRequested() { return I().stop; }
void RequestStop(bool quiet) {
  I().stop = true;
  I().quiet_end = quiet;
}
void ClearStop() { I().stop = false; }
bool QuietEnd() { return I().quiet_end; }
bool ErrorFlag() { return I().error; }
const std::string& CurrentCommandWord() { return *I().current_word; }
bool DebugEnabled() { return I().debug; }

int CallDepth() { return I().call_depth; }

bool PushCall(int return_line) {
  Interpreter& in = I();
  if (in.call_depth >= kMaxCallDepth) return false;
  in.call_stack[in.call_depth++] = return_line;
  return true;
}

bool PopCall(int& return_line) {
  Interpreter& in = I();
  if (in.call_depth <= 0) return false;
  return_line = in.call_stack[--in.call_depth];
  return true;
}

void SetProgramArguments(const std::vector<std::string>& arguments) { I().arguments = arguments; }
const std::vector<std::string>& ProgramArguments() { return I().arguments; }

void ResetInterpreterForTests() {
  Build build = I().build;
  I() = Interpreter();
  I().build = build;
}

}  // namespace interp
