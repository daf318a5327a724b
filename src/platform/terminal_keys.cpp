#include "platform/terminal_keys.h"

#include <cstdint>
#include <string>

#include "platform/text.h"

namespace platform::terminal {
namespace {

constexpr uint8_t kEscape = 27;

// One key press as the terminal reported it.
struct KeyPress {
  Key key = Key::None;
  uint8_t symbol = 0;
  int character = -1;  // the Latin-1 byte the key types, -1 when none
  bool ctrl = false, shift = false, alt = false;
};

// What parsing at one position found.
enum class Found { Key, Nothing, Incomplete };

struct Step {
  Found found = Found::Nothing;
  size_t length = 0;  // bytes used (0 when incomplete)
  KeyPress press;
};

// Steps that found a key, found nothing to report, or need more bytes.
Step KeyStep(size_t length, const KeyPress& press) { return Step{Found::Key, length, press}; }
Step NothingStep(size_t length) { return Step{Found::Nothing, length, {}}; }
Step IncompleteStep() { return Step{Found::Incomplete, 0, {}}; }

// A press of `key` that types `character` (-1: none), no modifiers.
KeyPress Press(Key key, int character = -1) {
  KeyPress press;
  press.key = key;
  press.character = character;
  return press;
}

// The key that a single byte stands for: a control byte or a Latin-1
// character typed as it is.
KeyPress PressFromByte(uint8_t byte) {
  KeyPress press;
  switch (byte) {
    case 0:  // Ctrl+Space (also Ctrl+@)
      press = Press(Key::Space, ' ');
      press.ctrl = true;
      return press;
    case 3:  // Ctrl+C: raw mode turns off the terminal's interrupt, this is our Ctrl+Break
      press = Press(Key::Break);
      press.ctrl = true;
      return press;
    case 8:  // Backspace on terminals that send ^H (often Ctrl+Backspace; Ctrl+H is the same byte)
    case 127:
      return Press(Key::Backspace, 8);
    case 9: return Press(Key::Tab, 9);
    case 13: return Press(Key::Enter, 13);
    case kEscape: return Press(Key::Escape, kEscape);
    default: break;
  }
  if (byte >= 1 && byte <= 26) {  // Ctrl+letter (10 is Ctrl+J, which some terminals send for Ctrl+Enter)
    press = Press(Key::Letter, byte);
    press.symbol = static_cast<uint8_t>('A' + byte - 1);
    press.ctrl = true;
    return press;
  }
  if (byte < 32) {  // Ctrl+\ ] ^ _
    press = Press(Key::Other, byte);
    press.ctrl = true;
    return press;
  }
  if (byte >= 'a' && byte <= 'z') {
    press = Press(Key::Letter, byte);
    press.symbol = static_cast<uint8_t>(byte - 'a' + 'A');
    return press;
  }
  if (byte >= 'A' && byte <= 'Z') {
    press = Press(Key::Letter, byte);
    press.symbol = byte;
    press.shift = true;
    return press;
  }
  if (byte >= '0' && byte <= '9') {
    press = Press(Key::Digit, byte);
    press.symbol = byte;
    return press;
  }
  if (byte == ' ') return Press(Key::Space, ' ');
  return Press(Key::Other, byte);
}

// Applies an xterm modifier parameter: 1 + (1 Shift, 2 Alt, 4 Ctrl, 8 Meta).
void ApplyModifiers(KeyPress& press, int parameter) {
  if (parameter < 2) return;
  int bits = parameter - 1;
  press.shift = press.shift || (bits & 1);
  press.alt = press.alt || (bits & 2) || (bits & 8);
  press.ctrl = press.ctrl || (bits & 4);
}

// The key of a final letter shared by "ESC [" and "ESC O" sequences.
Key KeyOfFinal(uint8_t final_byte) {
  switch (final_byte) {
    case 'A': return Key::Up;
    case 'B': return Key::Down;
    case 'C': return Key::Right;
    case 'D': return Key::Left;
    case 'H': return Key::Home;
    case 'F': return Key::End;
    case 'P': return Key::F1;
    case 'Q': return Key::F2;
    case 'R': return Key::F3;
    case 'S': return Key::F4;
    default: return Key::None;
  }
}

// The key of "ESC [ n ~".
Key KeyOfTilde(int number) {
  switch (number) {
    case 1: case 7: return Key::Home;
    case 2: return Key::Insert;
    case 3: return Key::Delete;
    case 4: case 8: return Key::End;
    case 5: return Key::PageUp;
    case 6: return Key::PageDown;
    case 11: return Key::F1;
    case 12: return Key::F2;
    case 13: return Key::F3;
    case 14: return Key::F4;
    case 15: return Key::F5;
    case 17: return Key::F6;
    case 18: return Key::F7;
    case 19: return Key::F8;
    case 20: return Key::F9;
    case 21: return Key::F10;
    case 23: return Key::F11;
    case 24: return Key::F12;
    default: return Key::None;
  }
}

// Splits "1;5" into numbers; an empty field is -1 (the default).
std::vector<int> Parameters(std::string_view text) {
  std::vector<int> numbers(1, -1);
  for (char c : text) {
    if (c == ';') {
      numbers.push_back(-1);
    } else if (c >= '0' && c <= '9') {
      int& number = numbers.back();
      if (number < 0) number = 0;
      if (number < 100000) number = number * 10 + (c - '0');
    }
  }
  return numbers;
}

// Alt with the key that ESC introduced at `pos` ("ESC [" or "ESC O" that
// turned out not to be a sequence): Alt+[ or Alt+Shift+O.
Step AltOfIntroducer(uint8_t introducer) {
  KeyPress press = PressFromByte(introducer);
  press.alt = true;
  return KeyStep(2, press);
}

Step ParseAt(std::string_view input, size_t pos, bool complete);

// "ESC [ parameters final" at `pos`.
Step ParseCsi(std::string_view input, size_t pos, bool complete) {
  size_t n = input.size();
  size_t start = pos + 2;
  if (start == n) return complete ? AltOfIntroducer('[') : IncompleteStep();
  if (input[start] == '[') {  // the Linux console's F1-F5: "ESC [ [ A" .. "ESC [ [ E"
    if (start + 1 == n) return complete ? AltOfIntroducer('[') : IncompleteStep();
    uint8_t letter = static_cast<uint8_t>(input[start + 1]);
    if (letter >= 'A' && letter <= 'E')
      return KeyStep(4, Press(static_cast<Key>(static_cast<int>(Key::F1) + (letter - 'A'))));
    return NothingStep(4);
  }
  size_t j = start;
  while (j < n && input[j] >= 0x30 && input[j] <= 0x3F) ++j;
  while (j < n && input[j] >= 0x20 && input[j] <= 0x2F) ++j;
  if (j == n) return complete ? AltOfIntroducer('[') : IncompleteStep();
  uint8_t final_byte = static_cast<uint8_t>(input[j]);
  if (final_byte < 0x40 || final_byte > 0x7E) return AltOfIntroducer('[');
  size_t length = j + 1 - pos;
  std::string_view text = input.substr(start, j - start);
  if (!text.empty() && (text[0] == '<' || text[0] == '=' || text[0] == '>' || text[0] == '?'))
    return NothingStep(length);  // replies and private sequences we never asked for
  std::vector<int> numbers = Parameters(text);
  int modifiers = numbers.size() > 1 ? numbers[1] : 1;
  KeyPress press;
  if (final_byte == '~') {
    press = Press(KeyOfTilde(numbers[0]));
  } else if (final_byte == 'Z') {  // Shift+Tab
    press = Press(Key::Tab, 9);
    press.shift = true;
  } else {
    press = Press(KeyOfFinal(final_byte));
  }
  if (press.key == Key::None) return NothingStep(length);
  ApplyModifiers(press, modifiers);
  return KeyStep(length, press);
}

// "ESC O final" at `pos`, with the modifier digits some terminals put before
// the final ("ESC O 5 P").
Step ParseSs3(std::string_view input, size_t pos, bool complete) {
  size_t n = input.size();
  size_t j = pos + 2;
  while (j < n && ((input[j] >= '0' && input[j] <= '9') || input[j] == ';')) ++j;
  if (j == n) return complete ? AltOfIntroducer('O') : IncompleteStep();
  uint8_t final_byte = static_cast<uint8_t>(input[j]);
  size_t length = j + 1 - pos;
  if (final_byte < 0x40 || final_byte > 0x7E) return AltOfIntroducer('O');
  std::vector<int> numbers = Parameters(input.substr(pos + 2, j - pos - 2));
  KeyPress press = final_byte == 'M' ? Press(Key::Enter, 13) : Press(KeyOfFinal(final_byte));
  if (press.key == Key::None) return NothingStep(length);  // application keypad keys we never enable
  ApplyModifiers(press, numbers.back());
  return KeyStep(length, press);
}

// ESC at `pos`: an escape sequence, Alt with a key, or the Escape key.
Step ParseEscape(std::string_view input, size_t pos, bool complete) {
  size_t n = input.size();
  if (pos + 1 == n) return complete ? KeyStep(1, PressFromByte(kEscape)) : IncompleteStep();
  uint8_t next = static_cast<uint8_t>(input[pos + 1]);
  if (next == '[') return ParseCsi(input, pos, complete);
  if (next == 'O') return ParseSs3(input, pos, complete);
  if (next == kEscape) {
    // "ESC ESC [ A" is Alt with a sequence key; otherwise two Escape keys.
    if (pos + 2 == n) return complete ? KeyStep(1, PressFromByte(kEscape)) : IncompleteStep();
    uint8_t third = static_cast<uint8_t>(input[pos + 2]);
    if (third != '[' && third != 'O') return KeyStep(1, PressFromByte(kEscape));
  }
  Step inner = ParseAt(input, pos + 1, complete);
  if (inner.found == Found::Incomplete) return inner;
  inner.length += 1;
  inner.press.alt = true;
  return inner;
}

// A UTF-8 character at `pos` (lead byte 0x80 or above); a byte that does not
// start well-formed UTF-8 is taken as the Latin-1 character of its value.
Step ParseUtf8(std::string_view input, size_t pos, bool complete) {
  uint8_t lead = static_cast<uint8_t>(input[pos]);
  size_t expected = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4 : 1;
  size_t available = input.size() - pos;
  bool continuations = true;
  for (size_t i = 1; i < expected && i < available; ++i)
    continuations = continuations && (static_cast<uint8_t>(input[pos + i]) & 0xC0) == 0x80;
  if (expected > 1 && continuations && available < expected && !complete) return IncompleteStep();
  if (expected > 1 && continuations && available >= expected) {
    size_t next = pos;
    if (DecodeUtf8(input, next) >= 0) {
      std::string latin1 = Utf8ToLatin1(input.substr(pos, next - pos), '\0');
      if (latin1.size() != 1 || latin1[0] == '\0') return NothingStep(next - pos);  // not in the code page
      return KeyStep(next - pos, PressFromByte(static_cast<uint8_t>(latin1[0])));
    }
  }
  return KeyStep(1, PressFromByte(lead));
}

// One key at `pos`, whatever its first byte.
Step ParseAt(std::string_view input, size_t pos, bool complete) {
  uint8_t byte = static_cast<uint8_t>(input[pos]);
  if (byte == kEscape) return ParseEscape(input, pos, complete);
  if (byte >= 0x80) return ParseUtf8(input, pos, complete);
  return KeyStep(1, PressFromByte(byte));
}

// KeyDown, Char (unless Alt is held or the key types nothing), KeyUp.
void AppendEvents(const KeyPress& press, std::vector<Event>& events) {
  Event event;
  event.type = EventType::KeyDown;
  event.key = press.key;
  event.symbol = press.symbol;
  event.ctrl = press.ctrl;
  event.shift = press.shift;
  event.alt = press.alt;
  events.push_back(event);
  if (press.character >= 0 && !press.alt) {
    Event typed = event;
    typed.type = EventType::Char;
    typed.character = static_cast<uint8_t>(press.character);
    events.push_back(typed);
  }
  event.type = EventType::KeyUp;
  events.push_back(event);
}

}  // namespace

ParsedKeys ParseTerminalKeys(std::string_view input, bool input_complete) {
  ParsedKeys parsed;
  size_t pos = 0;
  while (pos < input.size()) {
    Step step = ParseAt(input, pos, input_complete);
    if (step.found == Found::Incomplete) break;
    if (step.found == Found::Key) AppendEvents(step.press, parsed.events);
    pos += step.length;
  }
  parsed.consumed = pos;
  return parsed;
}

}  // namespace platform::terminal
