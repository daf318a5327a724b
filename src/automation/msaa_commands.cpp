// MSAA: following the desktop's focus and reading accessible objects.
#include <string>

#include "automation/commands.h"
#include "automation/waits.h"
#include "data/command_text.h"
#include "interpreter/operands.h"
#include "platform/accessibility/accessibility.h"
#include "speech/settings.h"

namespace automation {
namespace {

namespace access = platform::accessibility;

// The properties last read from the current object. The area keeps the
// values of the last read that found one.
struct Read {
  std::string name, role_text, state, value;
  int role = 0;
  int left = 0, top = 0, width = 0, height = 0;
};

Read g_read;

void ReadProperties(bool found) {
  g_read.name.clear();
  g_read.role_text.clear();
  g_read.state.clear();
  g_read.value.clear();
  g_read.role = 0;
  access::Properties properties;
  if (!found || !access::ReadCurrent(properties)) return;
  if (properties.has_area) {
    g_read.left = properties.left;
    g_read.top = properties.top;
    g_read.width = properties.width;
    g_read.height = properties.height;
  }
  g_read.name = properties.name;
  g_read.role = properties.role;
  g_read.role_text = properties.role_text;
  g_read.state = properties.state;
  g_read.value = properties.value;
}

bool StoreIn(std::string& rest, const std::string& text) {
  int slot = 0;
  if (!interp::ReadVariableName(rest, slot)) return false;
  interp::SetVariable(slot, text);
  return true;
}

bool ReadInteger(std::string& rest, int32_t& value) {
  std::string text;
  return interp::ReadOperand(rest, text) && interp::ToInteger(text, value);
}

}  // namespace

// MSAA MONITORA | FIM | CHECA V | CAPTURA x y | AREA L T W H | NOME V |
// TIPO V | ESTADO V | VALOR V | CODIGO V.
bool CmdMsaa(const std::string& arguments) {
  std::string rest = data::TrimmedText(arguments);
  auto take = [&rest](const char* word) {
    if (!data::StartsWithKeyword(rest, word)) return false;
    rest = data::TrimmedText(rest.substr(std::string(word).size()));
    return true;
  };
  if (take("MONITORA")) {
    if (!DesktopPresent()) return false;
    access::StartMonitoring();
    return true;
  }
  if (take("FIM")) {
    access::StopMonitoring();
    return true;
  }
  if (take("CHECA")) {
    int slot = 0;
    if (!interp::ReadVariableName(rest, slot)) return false;
    int taken = access::TakeEvent();
    if (taken < 0) {
      interp::SetVariable(slot, "0");
      return true;
    }
    ReadProperties(taken == 1);
    interp::SetVariable(slot, taken == 1 ? "1" : "0");
    return true;
  }
  if (take("CAPTURA")) {
    int32_t x = 0, y = 0;
    if (!ReadInteger(rest, x) || !ReadInteger(rest, y)) return false;
    if (!DesktopPresent()) return false;
    ReadProperties(access::CaptureAt(x, y));
    return true;
  }
  if (take("AREA")) {
    for (int value : {g_read.left, g_read.top, g_read.width, g_read.height})
      if (!StoreIn(rest, interp::NumberText(value))) return false;
    return true;
  }
  if (take("NOME")) return StoreIn(rest, g_read.name);
  if (take("CODIGO") || take("C\xD3" "DIGO")) return StoreIn(rest, interp::NumberText(g_read.role));
  if (take("TIPO")) return StoreIn(rest, g_read.role_text);
  if (take("ESTADO")) return StoreIn(rest, g_read.state);
  if (take("VALOR")) return StoreIn(rest, g_read.value);
  return false;
}

}  // namespace automation
