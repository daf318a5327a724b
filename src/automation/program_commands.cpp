// EXECUTA, EXISTEPROG, ENVIACMD, ESPERA and the reader of LE CONSOLE.
#include <algorithm>
#include <cstdint>
#include <string>

#include "automation/commands.h"
#include "automation/waits.h"
#include "console/console.h"
#include "console/keyboard.h"
#include "data/command_text.h"
#include "data/file_table.h"
#include "interpreter/operands.h"
#include "platform/desktop/desktop.h"
#include "platform/process/proclist.h"
#include "platform/process/spawn.h"
#include "platform/text.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace automation {
namespace {

namespace process = platform::process;
namespace desktop = platform::desktop;

// The longest program, parameter and folder text handed to the shell's open.
constexpr size_t kLongestShellText = 511;
// Output waited for after a line was sent to the child, and the quiet that
// ends a burst of it.
constexpr int64_t kFirstOutputMs = 1000;
constexpr int64_t kQuietOutputMs = 60;

// True when the child was started or sent a line since its output was last
// read: then LE CONSOLE waits a moment for the answer.
bool g_answer_expected = false;

int32_t ReturnPause() {
  int32_t pause = 0;
  if (!interp::ToInteger(speech::ReadSetting("MIRANE", "TEMPOESPERAPROGVOLTAR"), pause)) pause = 500;
  return pause;
}

// Pauses of program time (virtual in headless mode), through the pump.
void PauseMs(int64_t ms) {
  while (ms > 0) {
    unsigned step = static_cast<unsigned>(std::min<int64_t>(ms, 60000));
    console::Delay(step);
    ms -= step;
  }
}

// Mode 0 of EXECUTA: waits until the user is back from the program started.
// With a console window on the desktop: until the program's window came up
// (at most 5 s) and the console is the active window again. Otherwise: until
// the program ends. A key typed in the console ends the wait too.
void WaitForReturn(int pid) {
  desktop::WindowId own = desktop::Available() ? desktop::OwnWindow() : 0;
  if (own != 0) {
    bool key = false;
    for (int i = 0; i < 50 && !key; ++i) {
      if (WaitReal(100, [own] { return desktop::Foreground() != own; }, true)) break;
      key = console::QueuedKeys() > 0;
    }
    if (!key) WaitReal(INT64_MAX / 4, [own] { return desktop::Foreground() == own; }, true);
  } else {
    WaitReal(INT64_MAX / 4, [pid] { return !process::ProgramRunning(pid); }, true);
  }
  PauseMs(ReturnPause());
}

// The child's lines end with LF alone; inside this system lines end with
// CR LF (the console takes LF as "down one row" only).
std::string WindowsLines(const std::string& text) {
  std::string lines;
  lines.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) lines += '\r';
    lines += text[i];
  }
  return lines;
}

}  // namespace

// EXECUTA line [&...]: no "&" opens the program and waits for the user to
// come back; "&" opens it; "&&" opens it hidden; "&&&" starts it as the
// child with pipes; more than three count as one.
bool CmdExecuta(const std::string& arguments) {
  std::string rest = data::TrimmedText(arguments);
  int mode = 0;
  while (data::TakeTrailingAmpersand(rest)) ++mode;
  if (mode > 3) mode = 1;
  std::string line;
  if (!interp::ReadOperand(rest, line) || !rest.empty()) return false;

  std::string program, parameters;
  if (!line.empty() && line[0] == '"') {
    size_t close = line.find('"', 1);
    if (close == std::string::npos) {
      program = line.substr(1);
    } else {
      program = line.substr(1, close - 1);
      parameters = data::TrimmedText(line.substr(close + 1));
    }
  } else {
    size_t blank = line.find(' ');
    program = line.substr(0, blank);
    if (blank != std::string::npos) parameters = line.substr(blank + 1);
  }

  speech::WaitPendingSpeech();
  if (mode == 3) {
    bool started = process::StartChild(program, parameters);
    g_answer_expected = started;
    return started;
  }
  program.resize(std::min(program.size(), kLongestShellText));
  parameters.resize(std::min(parameters.size(), kLongestShellText));
  int pid = process::OpenProgram(program, parameters, "",
                                 mode == 2 ? process::OpenShow::Hidden : process::OpenShow::Normal, mode == 0);
  if (pid <= 0) return false;
  if (mode == 0) WaitForReturn(pid);
  return true;
}

// EXISTEPROG name V: V = "1" when a running process has that program.
bool CmdExisteprog(const std::string& arguments) {
  std::string rest = arguments, name;
  int slot = 0;
  if (!interp::ReadOperand(rest, name) || !interp::ReadVariableName(rest, slot)) return false;
  interp::SetVariable(slot, process::ProcessRunning(data::TrimmedText(name)) ? "1" : "0");
  return true;
}

// ENVIACMD text: after 100 ms, the text and a line end to the child's input.
// Programs here end their lines with LF alone.
bool CmdEnviacmd(const std::string& arguments) {
  std::string rest = data::TrimmedText(arguments), text;
  if (!interp::ReadOperand(rest, text)) return false;
  WaitReal(100, nullptr);
  if (process::HasChild()) {
    process::WriteChild(platform::Latin1ToUtf8(text) + "\n");
    g_answer_expected = true;
  }
  return true;
}

// ESPERA [MS] n: a pause; ESPERA n title: up to n seconds for the active
// window's title to contain the text (I/O status 1 when it did not).
bool CmdEspera(const std::string& arguments) {
  std::string rest = data::TrimmedText(arguments);
  if (rest.empty()) return false;
  data::SetIoStatus(0);
  bool milliseconds = data::StartsWithKeyword(rest, "MS");
  if (milliseconds) rest.erase(0, 2);
  std::string number;
  int32_t n = 0;
  if (!interp::ReadOperand(rest, number) || !interp::ToInteger(number, n)) return false;
  rest = data::TrimmedText(rest);
  if (!rest.empty()) {
    std::string fragment;
    if (!interp::ReadOperand(rest, fragment)) return true;
    fragment = speech::UpperCasePt(fragment);
    if (n <= 0 || n >= (1 << 30)) {
      data::SetIoStatus(1);
      return true;
    }
    if (!DesktopPresent()) return false;
    for (int64_t look = 0; look < int64_t{2} * n; ++look) {
      std::string title = desktop::ForegroundTitle().substr(0, 249);
      if (speech::UpperCasePt(title).find(fragment) != std::string::npos) return true;
      WaitReal(500, nullptr);
    }
    data::SetIoStatus(1);
    return true;
  }
  PauseMs(milliseconds ? int64_t{n} : int64_t{n} * 1000);
  return true;
}

std::string ReadChildOutput() {
  if (!process::HasChild()) return "";
  std::string output, error;
  process::ReadChild(output, error);
  if (output.empty() && error.empty() && g_answer_expected) {
    // The child was just asked something: give it a moment to answer, and
    // take the whole answer once it stops writing.
    if (WaitReal(kFirstOutputMs, [] { return process::WaitChildReadable(0); })) {
      for (;;) {
        std::string more_output, more_error;
        process::ReadChild(more_output, more_error);
        if (more_output.empty() && more_error.empty()) break;
        output += more_output;
        error += more_error;
        if (output.size() >= 65535 || error.size() >= 65535) break;
        if (!WaitReal(kQuietOutputMs, [] { return process::WaitChildReadable(0); })) break;
      }
    }
  }
  g_answer_expected = false;
  output = WindowsLines(platform::Utf8ToLatin1(output));
  error = WindowsLines(platform::Utf8ToLatin1(error));
  std::string text = output.empty() ? error : output + "\r\n" + error;
  if (!text.empty()) text += "\r\n";
  return text;
}

}  // namespace automation
