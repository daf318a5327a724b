#include "platform/keyscript.h"

#include <cctype>
#include <cstdlib>

#include "platform/text.h"

namespace platform {
namespace {

struct NamedKey {
  const char* name;
  Key key;
  int character;  // -1: the key types nothing
};

const NamedKey kNamedKeys[] = {
    {"ENTER", Key::Enter, 13},   {"ESC", Key::Escape, 27},     {"ESCAPE", Key::Escape, 27},
    {"TAB", Key::Tab, 9},        {"BACKSPACE", Key::Backspace, 8}, {"SPACE", Key::Space, ' '},
    {"F1", Key::F1, -1},         {"F2", Key::F2, -1},          {"F3", Key::F3, -1},
    {"F4", Key::F4, -1},         {"F5", Key::F5, -1},          {"F6", Key::F6, -1},
    {"F7", Key::F7, -1},         {"F8", Key::F8, -1},          {"F9", Key::F9, -1},
    {"F10", Key::F10, -1},       {"F11", Key::F11, -1},        {"F12", Key::F12, -1},
    {"UP", Key::Up, -1},         {"DOWN", Key::Down, -1},      {"LEFT", Key::Left, -1},
    {"RIGHT", Key::Right, -1},   {"HOME", Key::Home, -1},      {"END", Key::End, -1},
    {"PGUP", Key::PageUp, -1},   {"PGDN", Key::PageDown, -1},  {"INS", Key::Insert, -1},
    {"DEL", Key::Delete, -1},    {"BREAK", Key::Break, -1},
};

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// The key that types a Latin-1 character.
void KeyOfCharacter(uint8_t c, KeyAction& action) {
  action.character = c;
  action.has_character = true;
  if (c >= 'a' && c <= 'z') {
    action.key = Key::Letter;
    action.symbol = static_cast<uint8_t>(c - 32);
  } else if (c >= 'A' && c <= 'Z') {
    action.key = Key::Letter;
    action.symbol = c;
    action.shift = true;
  } else if (c >= '0' && c <= '9') {
    action.key = Key::Digit;
    action.symbol = c;
  } else if (c == ' ') {
    action.key = Key::Space;
  } else {
    action.key = Key::Other;
  }
}

// Reads "Ctrl+Shift+Name" into `action`.
bool ParseKeyName(std::string_view text, KeyAction& action, std::string& error) {
  std::string_view rest = text;
  for (;;) {
    std::string upper = Upper(rest.substr(0, 6));
    if (upper.rfind("CTRL+", 0) == 0 && rest.size() > 5) { action.ctrl = true; rest.remove_prefix(5); }
    else if (upper.rfind("SHIFT+", 0) == 0 && rest.size() > 6) { action.shift = true; rest.remove_prefix(6); }
    else if (upper.rfind("ALT+", 0) == 0 && rest.size() > 4) { action.alt = true; rest.remove_prefix(4); }
    else break;
  }
  std::string latin1 = Utf8ToLatin1(rest);
  if (latin1.size() == 1) {
    // A key named by its character: "{Ctrl+A}" is Ctrl with the A key, so
    // Shift is held only when the name says so.
    bool shift = action.shift;
    KeyOfCharacter(static_cast<uint8_t>(latin1[0]), action);
    action.shift = shift;
    return true;
  }
  std::string upper = Upper(rest);
  for (const NamedKey& named : kNamedKeys) {
    if (upper == named.name) {
      action.key = named.key;
      action.has_character = named.character >= 0;
      action.character = static_cast<uint8_t>(named.character < 0 ? 0 : named.character);
      if (named.key == Key::Break) action.ctrl = true;  // the Break key is Ctrl+Pause
      return true;
    }
  }
  error = "unknown key name {" + std::string(text) + "}";
  return false;
}

}  // namespace

bool ParseKeyScript(std::string_view utf8, std::vector<KeyAction>& actions, std::string& error) {
  size_t pos = 0;
  if (utf8.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
  while (pos < utf8.size()) {
    char c = utf8[pos];
    if (c == '\n' || c == '\r') { ++pos; continue; }
    if (c == '{') {
      if (pos + 1 < utf8.size() && utf8[pos + 1] == '{') {
        KeyAction action;
        KeyOfCharacter('{', action);
        actions.push_back(action);
        pos += 2;
        continue;
      }
      size_t close = utf8.find('}', pos + 2);  // "{}}" names the "}" key
      if (close == std::string_view::npos) {
        error = "unclosed { in key script";
        return false;
      }
      std::string_view inner = utf8.substr(pos + 1, close - pos - 1);
      pos = close + 1;
      KeyAction action;
      std::string upper = Upper(inner);
      if (upper.rfind("WAIT ", 0) == 0) {
        action.kind = KeyAction::Kind::Wait;
        char* end = nullptr;
        std::string number(inner.substr(5));
        long ms = std::strtol(number.c_str(), &end, 10);
        if (number.empty() || *end != '\0' || ms < 0) {
          error = "bad wait in key script: {" + std::string(inner) + "}";
          return false;
        }
        action.wait_ms = static_cast<int>(ms);
        actions.push_back(action);
        continue;
      }
      std::string_view name = inner;
      if (upper.rfind("DOWN:", 0) == 0) { action.kind = KeyAction::Kind::Press; name.remove_prefix(5); }
      else if (upper.rfind("UP:", 0) == 0) { action.kind = KeyAction::Kind::Release; name.remove_prefix(3); }
      if (!ParseKeyName(name, action, error)) return false;
      actions.push_back(action);
      continue;
    }
    size_t start = pos;
    long cp = DecodeUtf8(utf8, pos);
    std::string latin1 = cp < 0 ? std::string(1, utf8[start]) : Utf8ToLatin1(utf8.substr(start, pos - start));
    KeyAction action;
    KeyOfCharacter(static_cast<uint8_t>(latin1[0]), action);
    actions.push_back(action);
  }
  return true;
}

void PostKeyAction(const KeyAction& action) {
  Event event;
  event.key = action.key;
  event.symbol = action.symbol;
  event.ctrl = action.ctrl;
  event.shift = action.shift;
  event.alt = action.alt;
  if (action.kind != KeyAction::Kind::Release) {
    event.type = EventType::KeyDown;
    PostEvent(event);
  }
  // A character comes with the press, unless Alt is held (Alt+letter is a
  // system key that types nothing); Ctrl with a letter, "[", "\" or "]" types
  // its control code, as the window's keyboard does.
  if (action.kind != KeyAction::Kind::Release && action.has_character && !action.alt) {
    Event typed = event;
    typed.type = EventType::Char;
    uint8_t character = action.character;
    if (action.ctrl && action.key == Key::Letter) character = static_cast<uint8_t>(action.symbol & 31);
    else if (action.ctrl && (character == '[' || character == '\\' || character == ']'))
      character = static_cast<uint8_t>(character & 31);
    typed.character = character;
    PostEvent(typed);
  }
  if (action.kind != KeyAction::Kind::Press) {
    event.type = EventType::KeyUp;
    PostEvent(event);
  }
}

}  // namespace platform
