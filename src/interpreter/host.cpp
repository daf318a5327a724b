// The host: start-up, the script name and its resolution, the run, how the
// run ended, interactive mode, shut-down.
#include "interpreter/host.h"

#include <string>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/checker.h"
#include "console/menu.h"
#include "interpreter/file_chooser.h"
#include "interpreter/interpreter.h"
#include "interpreter/operands.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/window.h"
#include "speech/line_editor.h"
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

// The file chooser the prompt opens for a pattern, at the cursor and 20 rows
// high: the chosen name, and whether the user left it with Tab (to type
// again).
std::string ChooseScriptFile(const std::string& pattern, bool& tab) {
  int column = console::WhereX(), row = console::WhereY();
  ChosenFile chosen = ChooseFile(column, row, platform::window::kColumns, row + 19, pattern);
  tab = chosen.name == "@TAB@";
  return tab ? std::string() : chosen.name;
}

// The history menu of interactive mode at the cursor, newest first: the
// index of the chosen entry, or -1.
int ChooseFromHistory(const std::vector<std::string>& history) {
  if (history.empty()) {
    speech::PlayBeep();
    return -1;
  }
  console::MenuOpen(console::WhereX(), console::WhereY(), platform::window::kColumns, 4,
                    static_cast<int>(history.size()));
  for (const std::string& line : history) console::MenuAdd("", line);
  return console::MenuRun() - 1;
}

bool IsFolderSeparator(char c) { return c == '\\' || c == '/'; }

// The file prompt: a name typed at the cursor; Tab, Down (any ending key but
// Enter) or a "*" open the chooser on what was typed. `escaped` tells that
// the user left with Esc. An empty result asks for interactive mode.
std::string FilePrompt(bool& escaped) {
  escaped = false;
  int column = console::WhereX(), row = console::WhereY();
  for (;;) {
    console::GotoXY(column, row);
    std::string text;
    int key = speech::EditFieldHere(text, column, row, true, 255);
    if (key == speech::kEditEscape) {
      escaped = true;
      return {};
    }
    if (key == speech::kEditEnter && text.empty()) return {};
    text = TrimBlanks(text);
    if (!text.empty() && platform::files::IsDirectory(text) && !IsFolderSeparator(text.back()) && text.back() != ':')
      text += '\\';
    std::string folder;
    size_t last = text.find_last_of("\\/");
    if (last != std::string::npos) folder = text.substr(0, last + 1);
    if (text.empty() || IsFolderSeparator(text.back())) text += "*.*";
    if (key == speech::kEditEnter && text.find('*') == std::string::npos) return text;
    bool tab = false;
    console::GotoXY(column, row);
    std::string chosen = ChooseScriptFile(text, tab);
    if (tab) {
      speech::PlayClick();
      speech::PlayClick();
      continue;
    }
    if (!chosen.empty() && chosen.find_first_of("\\/:") == std::string::npos) chosen = folder + chosen;
    return chosen;
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
  while (console::ReadKey() != speech::kEditEnter) {
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
      ending = speech::EditFieldHere(line, console::WhereX(), console::WhereY(), true, 255);
      console::ConsoleWrite("\r\n");
      if (ending == speech::kEditEscape || ending == speech::kEditEnter) break;
      if (ending == speech::kEditUp || ending == speech::kEditDown) {
        console::MakeRoom(5);
        int chosen = ChooseFromHistory(history);
        if (chosen >= 0 && chosen < static_cast<int>(history.size())) {
          line = history[chosen];
          SayMessage("SCEDITE", 1);
        }
      }
      // Any other ending key edits the line again.
    }
    if (ending == speech::kEditEscape) {
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
  console::DeliverNotices();

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
    bool escaped = false;
    name = TrimBlanks(FilePrompt(escaped));
    console::ConsoleWrite(name + "\r\n");
    if (escaped) ShutDown();
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
  console::EnsureWindow();
  console::DeliverNotices();
  speech::WriteLineSpeak("Informe o script a executar:");
  std::string name;
  speech::ReadLineSpoken(name);
  RunScript(name, "");
  speech::WriteLineSpeak("O script ja terminou.");
  ShutDown();
}

}  // namespace interp
