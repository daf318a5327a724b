// The host: start-up, the script name and its resolution, the run, how the
// run ended, interactive mode, shut-down.
#include "interpreter/host.h"

#include <string>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/checker.h"
#include "interpreter/interpreter.h"
#include "interpreter/operands.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/window.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace interp {
namespace {

const char kVersion[] = "5.2b14";

struct Message {
  const char* key;
  const char* text;
};

const Message kMessages[] = {
    {"SCINIC", "Tessel - v"},
    {"SCNOMARQ", "Nome do arquivo .CMD a executar: "},
    {"SCFIM", "Fim do script"},
    {"SCARQNAO", "Arquivo .CMD inexistente"},
    {"SCERREXE", "Erro de execu\xE7\xE3o na linha "},
    {"SCERRROT", "Este r\xF3tulo n\xE3o existe !"},
    {"SCERRO", "Erro"},
    {"SCEDITE", "Editore e aperte enter"},
    {"SCINTER", "Modo interativo"},
};

// Writes the message's text and `line_breaks` line breaks, then plays its
// recording when there is one, else speaks the text. Does not wait.
void SayMessage(const std::string& key, int line_breaks) {
  std::string text;
  for (const Message& message : kMessages)
    if (key == message.key) text = message.text;
  console::ConsoleWrite(text);
  for (int i = 0; i < line_breaks; ++i) console::ConsoleWrite("\r\n");
  if (speech::MessageExists(key)) speech::PlayMessage(key);
  else speech::Speak(text);
}

// The key that ended a line edit: 13 Enter, 27 Esc, or 256 + the code of an
// extended key.
constexpr int kEnter = 13;
constexpr int kEscape = 27;
constexpr int kExtended = 256;

// Edits a line at the cursor: typed characters are added and shown,
// Backspace erases, Enter, Esc and the extended keys end the editing.
// (The spoken line editor replaces this when it lands.)
std::string EditLineHere(size_t max_length, int& ending_key) {
  std::string line;
  for (;;) {
    unsigned char c = console::ReadKey();
    if (c == 0) {
      ending_key = kExtended + console::ReadKey();
      return line;
    }
    if (c == kEnter || c == kEscape) {
      ending_key = c;
      return line;
    }
    if (c == 8) {
      if (!line.empty()) {
        line.pop_back();
        console::ConsoleWrite("\b");
      }
    } else if (c >= 32 && line.size() < max_length) {
      line += static_cast<char>(c);
      console::ConsoleWrite(std::string(1, static_cast<char>(c)));
    }
  }
}

bool IsReadableFile(const std::string& name) { return platform::files::IsRegularFile(name); }

// Finds the script a name stands for: as given, with ".CMD" added, then in
// the default script folder. False when there is none.
bool ResolveScriptName(std::string& name, const std::string& default_folder) {
  if (IsReadableFile(name)) return true;
  std::string extension = name.size() >= 4 ? speech::UpperCasePt(name.substr(name.size() - 4)) : "";
  if (extension != ".CMD" && extension != ".PRO") {
    name += ".CMD";
    if (IsReadableFile(name)) return true;
  }
  if (name.find('\\') != std::string::npos || name.find('/') != std::string::npos) return false;
  std::string folder = default_folder.empty() ? "." : default_folder;
  if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
  if (!IsReadableFile(folder + name)) return false;
  name = folder + name;
  return true;
}

[[noreturn]] void ShutDown() {
  speech::SpeechEnd();
  console::CloseConsole();
}

void WaitForEnter() {
  while (console::ReadKey() != kEnter) {
  }
}

void ReportRun(const RunResult& result) {
  switch (result.code) {
    case kRunEnded:
      if (!QuietEnd()) SayMessage("SCFIM", 1);
      break;
    case kRunFailed:
      console::ShowWindow(platform::window::ShowMode::Restore);
      SayMessage("SCERREXE", 0);
      speech::WriteSpeakNumber(result.line);
      console::ConsoleWrite("\r\n");
      WaitForEnter();
      break;
    case kRunUnreadable:
      SayMessage("SCARQNAO", 1);
      break;
    case kRunNoLabel:
      SayMessage("SCERRROT", 1);
      break;
  }
}

void InteractiveMode() {
  SayMessage("SCINTER", 2);
  std::vector<std::string> history;  // newest first
  ClearStop();
  while (!StopRequested()) {
    std::string line;
    int ending = 0;
    for (;;) {
      line = EditLineHere(255, ending);
      console::ConsoleWrite("\r\n");
      if (ending == kEscape || ending == kEnter) break;
      // Up and Down will open the history menu once menus exist; any other
      // ending key edits the line again.
    }
    if (ending == kEscape) {
      RequestStop(false);
      break;
    }
    history.insert(history.begin(), line);
    if (!RunLine(line)) SayMessage("SCERRO", 1);
  }
  if (!QuietEnd()) SayMessage("SCFIM", 1);
}

void StartProgram() {
  // Headless, program time is virtual, unless sound goes to a real device,
  // whose sound passes in real time.
  bool virtual_time = platform::window::PreferredBackendName() == "headless" && !platform::audio::DeviceAsked();
  platform::ClockInit(virtual_time ? platform::TimeMode::Virtual : platform::TimeMode::Real);
  platform::LogInit();
  speech::RecordStartFolder();
  InterpreterInit();
}

}  // namespace

void RunTesselHost(int argc, char** argv) {
  StartProgram();
  SetBuild(Build::Tessel);
  speech::SpeechInit(0, speech::ReadSetting("TESSEL", "DIRTESSEL"));
  console::ClearScreen();
  console::SetTitle("TESSEL");

  std::string default_folder = speech::ReadSetting("TESSEL", "DIRDEFAULT");
  if (default_folder.empty()) default_folder = "c:\\tarsel\\scripts";

  std::string name;
  if (argc >= 2 && std::string(argv[1]) == "--verifica") {
    // tessel --verifica script[@label]: the script is checked, not run.
    name = argc >= 3 ? argv[2] : "";
    std::string label;
    size_t at = name.find('@');
    if (at != std::string::npos) {
      label = TrimBlanks(name.substr(at + 1));
      name = TrimBlanks(name.substr(0, at));
    }
    console::SetTitle("TESSEL --verifica " + name);
    int code = ResolveScriptName(name, default_folder) ? VerifyScript(name, label) : VerifyScript("", "");
    speech::SpeechEnd();
    console::EndProgram(code);
  }
  if (argc >= 2) {
    name = argv[1];
    std::vector<std::string> arguments(argv + 2, argv + argc);
    SetProgramArguments(arguments);
  } else {
    console::TextBackground(1);
    SayMessage("SCINIC", 0);
    speech::WriteLineSpeak(kVersion);
    console::TextBackground(0);
    console::ConsoleWrite("\r\n");
    std::string previous = platform::files::CurrentDirectory();
    platform::files::ChangeDirectory(default_folder);
    SayMessage("SCNOMARQ", 0);
    int ending = 0;
    name = TrimBlanks(EditLineHere(255, ending));
    console::ConsoleWrite(name + "\r\n");
    if (ending == kEscape) ShutDown();
    platform::files::ChangeDirectory(previous);
  }

  if (name.empty()) {
    console::SetTitle("TESSEL (interativo)");
    InteractiveMode();
    ShutDown();
  }

  std::string label;
  size_t at = name.find('@');
  if (at != std::string::npos) {
    label = TrimBlanks(name.substr(at + 1));
    name = TrimBlanks(name.substr(0, at));
  }
  console::SetTitle("TESSEL " + name);
  if (!ResolveScriptName(name, default_folder)) {
    SayMessage("SCARQNAO", 1);
    console::Delay(2000);
    ShutDown();
  }
  ReportRun(RunScript(name, label));
  ShutDown();
}

void RunEnsaioHost(int, char**) {
  StartProgram();
  SetBuild(Build::Ensaio);
  speech::SpeechInit(0, "");
  speech::WriteLineSpeak("Informe o script a executar:");
  int ending = 0;
  std::string name = EditLineHere(255, ending);
  console::ConsoleWrite("\r\n");
  RunScript(name, "");
  speech::WriteLineSpeak("O script ja terminou.");
  ShutDown();
}

}  // namespace interp
