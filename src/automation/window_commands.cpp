// JANELA, CAPTURA, TRANSFERE and HANDLE: other programs' windows and the
// clipboard.
#include <algorithm>
#include <cstdint>
#include <string>

#include "automation/commands.h"
#include "automation/waits.h"
#include "console/console.h"
#include "data/command_text.h"
#include "data/file_table.h"
#include "interpreter/operands.h"
#include "platform/desktop/desktop.h"
#include "platform/input/input.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace automation {
namespace {

namespace desktop = platform::desktop;

constexpr size_t kLongestTitle = 143;
constexpr size_t kLongestCapture = 254;
constexpr size_t kLongestOffer = 1024;
constexpr size_t kLongestPaste = 1023;

// How long JANELA FECHA waits for a window to go: TIMEOUT_REDE seconds when
// set to 1 to 3600, else 5 seconds (a program may refuse to close).
int64_t CloseTimeoutMs() {
  int32_t seconds = 0;
  if (!interp::ToInteger(speech::ReadSetting("MIRANE", "TIMEOUT_REDE"), seconds) || seconds < 1 || seconds > 3600)
    seconds = 5;
  return int64_t{seconds} * 1000;
}

// The first word of `rest` upper-cased, removed from `rest` with the blanks
// after it.
std::string TakeWord(std::string& rest) {
  size_t blank = rest.find(' ');
  std::string word = speech::UpperCasePt(rest.substr(0, blank));
  rest = blank == std::string::npos ? "" : data::TrimmedText(rest.substr(blank + 1));
  return word;
}

// The clipboard of these commands: the desktop's when there is one, else the
// console's.
void OfferText(const std::string& text) {
  if (desktop::Available())
    desktop::SetClipboard(text);
  else
    console::CopyToClipboard(text);
}

std::string PastedText(size_t longest) {
  std::string text;
  if (desktop::Available()) {
    desktop::Clipboard(text);
    if (text.size() > longest) text.resize(longest);
    return text;
  }
  return console::PasteFromClipboard(longest + 1);
}

// One key sent as CAPTURA CAMPO sends it, with its 100 ms for the program.
void SendCaptureKey(int keysym_vk, bool shift, bool ctrl) {
  namespace input = platform::input;
  int key = input::KeycodeOfVirtualKey(keysym_vk);
  if (shift) input::SendKey(input::ShiftKey(), true);
  if (ctrl) input::SendKey(input::ControlKey(), true);
  input::SendKey(key, true);
  input::SendKey(key, false);
  if (shift) input::SendKey(input::ShiftKey(), false);
  if (ctrl) input::SendKey(input::ControlKey(), false);
  WaitReal(100, nullptr);
}

// CAPTURA CAMPO: selects the focused field's line and copies it (Home,
// Shift+End, Ctrl+Insert), reads the copy, and gives the user's clipboard
// back.
std::string CaptureField() {
  if (!platform::input::Available()) return "";
  std::string saved;
  bool had_text = desktop::Clipboard(saved);
  // Something to tell the field's copy from what was there.
  desktop::SetClipboard("");
  SendCaptureKey(36, false, false);
  SendCaptureKey(35, true, false);
  SendCaptureKey(45, false, true);
  std::string field;
  WaitReal(1000, [&field] { return desktop::Clipboard(field, 200) && !field.empty(); });
  if (field.size() > kLongestCapture) field.resize(kLongestCapture);
  desktop::SetClipboard(had_text ? saved : "");
  return field;
}

}  // namespace

// JANELA action title: acts on the first top-level window whose upper-cased
// title holds the pattern ("*" first: at its start; "*" last: at its end).
bool CmdJanela(const std::string& arguments) {
  std::string rest = data::TrimmedText(arguments);
  std::string action = TakeWord(rest);
  std::string pattern;
  if (action.empty() || !interp::ReadOperand(rest, pattern)) return false;
  data::SetIoStatus(0);
  bool at_start = false, at_end = false;
  if (!pattern.empty() && pattern[0] == '*') {
    pattern.erase(0, 1);
    at_start = true;
  }
  if (!pattern.empty() && pattern.back() == '*') {
    pattern.pop_back();
    at_end = true;
  }
  if (!DesktopPresent()) return false;
  for (const desktop::Window& window : desktop::TopLevelWindows()) {
    if (!window.enabled || (!window.visible && !window.minimised) || window.title.empty()) continue;
    std::string title = speech::UpperCasePt(window.title.substr(0, kLongestTitle));
    size_t at = title.find(pattern);
    if (at == std::string::npos) continue;
    if (at_start && at != 0) continue;
    if (at_end && at + pattern.size() != title.size()) continue;
    if (action == "FECHA") {
      desktop::RequestClose(window.id);
      desktop::WindowId id = window.id;
      WaitReal(CloseTimeoutMs(), [id] { return !desktop::WindowExists(id); });
    } else if (action == "NORMAL") {
      desktop::Show(window.id, desktop::Action::Normal);
    } else if (action == "MAXIMIZA") {
      desktop::Show(window.id, desktop::Action::Maximise);
    } else if (action == "MINIMIZA") {
      desktop::Show(window.id, desktop::Action::Minimise);
    } else {
      return false;
    }
    return true;
  }
  data::SetIoStatus(1);
  return true;
}

// CAPTURA TITULO|TÍTULO|ATIVA|FOCO|CAMPO V.
bool CmdCaptura(const std::string& arguments) {
  std::string rest = data::TrimmedText(arguments);
  std::string what = TakeWord(rest);
  int slot = 0;
  if (!interp::ReadVariableName(rest, slot)) return false;
  std::string text;
  if (what == "TITULO" || what == "T\xCDTULO" || what == "ATIVA") {
    if (!DesktopPresent()) return false;
    text = desktop::ForegroundTitle().substr(0, kLongestCapture);
  } else if (what == "FOCO") {
    // The focus within this program: its console, when it is the active window.
    if (!DesktopPresent()) return false;
    desktop::WindowId own = desktop::OwnWindow();
    if (own != 0 && desktop::Foreground() == own) text = console::Title();
  } else if (what == "CAMPO") {
    if (!DesktopPresent()) return false;
    text = CaptureField();
  }
  interp::SetVariable(slot, text);
  return true;
}

// TRANSFERE DE V (V's text to the clipboard) or TRANSFERE PARA V (the
// clipboard's text into V).
bool CmdTransfere(const std::string& arguments) {
  std::string rest = data::TrimmedText(arguments);
  bool to_clipboard = false;
  if (data::StartsWithKeyword(rest, "DE ")) {
    rest.erase(0, 3);
    to_clipboard = true;
  } else if (data::StartsWithKeyword(rest, "PARA ")) {
    rest.erase(0, 5);
  } else {
    return false;
  }
  rest = data::TrimmedText(rest);
  int slot = 0;
  if (!interp::ReadVariableName(rest, slot) || !rest.empty()) return false;
  if (to_clipboard)
    OfferText(interp::Variable(slot).substr(0, kLongestOffer));
  else
    interp::SetVariable(slot, PastedText(kLongestPaste));
  return true;
}

// HANDLE V: the console window's number on the desktop (0 without one).
bool CmdHandle(const std::string& arguments) {
  std::string rest = arguments;
  int slot = 0;
  if (!interp::ReadVariableName(rest, slot)) return false;
  desktop::WindowId own = desktop::Available() ? desktop::OwnWindow() : 0;
  interp::SetVariable(slot, interp::NumberText(static_cast<int64_t>(own)));
  return true;
}

}  // namespace automation
