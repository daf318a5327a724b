// The keyboard queue: key events from the window become PC-style key bytes,
// and in Braille mode six keys become a chord keyboard.
#include "console/keyboard.h"

#include <cstdio>

#include "console/console.h"
#include "console/tone.h"

namespace console {
namespace {

using platform::Event;
using platform::EventType;
using platform::Key;

// 64 bytes: a full queue drops the key, as the BIOS did.
constexpr int kQueueSize = 64;

// Dots value 0-63 -> character (Windows ANSI).
const unsigned char kBraille[64] = {
    ' ', 'a', ',', 'b', '\'', 'k', ';', 'l', '^', 'c', 'i', 'f', 0xED, 'm', 's', 'p',
    '~', 'e', ':', 'h', '*', 'o', '!', 'r', 0xAC, 'd', 'j', 'g', 0xE3, 'n', 't', 'q',
    0xFD, 0xE2, '?', 0xEA, '-', 'u', '"', 'v', '{', 0xEE, 0xF5, 0xE0, 0xF3, 'x', 0xE8, 0xE7,
    '$', 0xFB, 0xFF, 0xFC, '}', 'z', '=', 0xE1, '_', 0xF4, 'w', 0xEF, '#', 'y', 0xFA, 0xE9};

struct Keyboard {
  unsigned char queue[kQueueSize];
  KeyModifiers modifiers[kQueueSize];  // held when each byte was queued
  KeyModifiers current;                // of the event being handled
  KeyModifiers last_read;              // of the byte ReadKey returned last
  int count = 0;
  bool waiting = false;      // ReadKey is waiting
  int braille_mode = 0;      // 0 off, 1 computer Braille, 2 with signs
  int dots = 0;              // dots of the current chord, bit 64 the space
  int held = 0;              // chord keys still held
  bool delivering_notices = false;  // a key wait is handing notices to the user
  uint32_t alt_letters = 0;  // letter keys pressed with Alt, not yet released
  bool number_mode = false;
  bool capital = false;
  bool capital_lock = false;
};

Keyboard& K() {
  static Keyboard keyboard;
  return keyboard;
}

void Queue(unsigned char byte) {
  Keyboard& k = K();
  if (k.count >= kQueueSize) return;
  k.modifiers[k.count] = k.current;
  k.queue[k.count++] = byte;
}

// The bit of a Braille chord key (F D S J K L and Space), 0 for other keys.
int ChordBit(const Event& event) {
  if (event.key == Key::Space) return 64;
  if (event.key != Key::Letter) return 0;
  switch (event.symbol) {
    case 'F': return 1;
    case 'D': return 2;
    case 'S': return 4;
    case 'J': return 8;
    case 'K': return 16;
    case 'L': return 32;
    default: return 0;
  }
}

// Extended key codes: plain and with Ctrl; 0 when the key has none.
struct Extended {
  Key key;
  unsigned char plain, with_ctrl;
};
const Extended kExtended[] = {
    {Key::F1, 59, 94},      {Key::F2, 60, 95},       {Key::F3, 61, 96},     {Key::F4, 62, 97},
    {Key::F5, 63, 98},      {Key::F6, 64, 99},       {Key::F7, 65, 100},    {Key::F8, 66, 101},
    {Key::F9, 67, 102},     {Key::F10, 68, 103},     {Key::F11, 69, 104},   {Key::F12, 70, 105},
    {Key::Insert, 82, 255}, {Key::Delete, 83, 83},   {Key::Home, 71, 119},  {Key::End, 79, 117},
    {Key::PageUp, 73, 132}, {Key::PageDown, 81, 118}, {Key::Up, 72, 113},   {Key::Down, 80, 114},
    {Key::Left, 75, 115},   {Key::Right, 77, 116},
};

// Alt codes of the letters A-Z: the PC scan codes of the letter keys.
const unsigned char kAltLetters[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                       49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

void ClearSigns() {
  Keyboard& k = K();
  k.number_mode = false;
  k.capital = false;
  k.capital_lock = false;
}

// Mode 2: number and capital signs. Returns false when nothing is delivered.
bool SignHandling(unsigned char& c) {
  Keyboard& k = K();
  if (k.number_mode) {
    if (c == '\'') c = '.';
    else if (c >= 'a' && c <= 'i') c = static_cast<unsigned char>('1' + (c - 'a'));
    else if (c == 'j') c = '0';
    else if (c == '~') k.number_mode = false;
  }
  if ((k.capital || k.capital_lock) && c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 32);
  if (c == '#') {
    k.number_mode = true;
    return false;
  }
  if (c == '{') {
    if (k.capital) k.capital_lock = true;
    k.capital = true;
    return false;
  }
  k.capital = false;
  return true;
}

void KeyDown(const Event& event) {
  Keyboard& k = K();
  if (event.key == Key::Break && event.ctrl) EndProgram(255);
  if (event.alt) {
    if (event.ctrl && event.key == Key::F12) { SetBrailleMode(0); return; }
    if (event.ctrl && event.key == Key::F11) { SetBrailleMode(k.braille_mode + 1); return; }
    if (event.key == Key::Letter || event.key == Key::Digit) {
      if (event.key == Key::Letter) k.alt_letters |= 1u << (event.symbol - 'A');
      if (kQueueSize - k.count >= 2) {
        unsigned char code = event.key == Key::Digit
                                 ? static_cast<unsigned char>(event.symbol == '0' ? 129 : 119 + (event.symbol - '0'))
                                 : kAltLetters[event.symbol - 'A'];
        Queue(0);
        Queue(code);
      }
      return;
    }
    // Of the other Alt combinations only Alt+Left and Alt+Right reach the
    // queue (without Ctrl); the rest belong to the window manager.
    if (!event.ctrl && event.key != Key::Left && event.key != Key::Right) return;
  }
  if (!event.ctrl && k.braille_mode != 0) {
    int bit = ChordBit(event);
    if (bit) {
      k.dots |= bit;
      k.held |= bit;
      return;
    }
  }
  if (k.count > kQueueSize - 2) return;
  for (const Extended& extended : kExtended) {
    if (extended.key != event.key) continue;
    unsigned char code = event.ctrl ? extended.with_ctrl : extended.plain;
    if (event.key == Key::Insert && event.shift && !event.ctrl) code = 254;
    Queue(0);
    Queue(code);
    return;
  }
}

void KeyUp(const Event& event) {
  Keyboard& k = K();
  // The release of a letter pressed with Alt ends an Alt code, not a chord.
  if (event.key == Key::Letter && (k.alt_letters & (1u << (event.symbol - 'A')))) {
    k.alt_letters &= ~(1u << (event.symbol - 'A'));
    return;
  }
  if (k.braille_mode == 0) return;
  bool letter_or_blank = event.key == Key::Letter || event.key == Key::Space;
  if (event.ctrl || !letter_or_blank) {
    ClearSigns();
    return;
  }
  k.held &= ~ChordBit(event);
  if (k.held != 0) return;
  int dots = k.dots;
  k.dots = 0;
  bool deliver = true;
  unsigned char c;
  if (!(dots & 64)) {
    c = kBraille[dots & 63];
    if (k.braille_mode == 2) deliver = SignHandling(c);
  } else {
    ClearSigns();
    c = (dots & 63) == 0 ? ' ' : static_cast<unsigned char>(kBraille[dots & 63] & 31);
  }
  if (deliver && k.count <= kQueueSize - 1) Queue(c);
}

void CharTyped(const Event& event) {
  Keyboard& k = K();
  unsigned char c = event.character;
  if (k.braille_mode != 0 && (c == ' ' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return;
  if (k.count >= kQueueSize) return;
  if (c == 8 || c == 127) c = event.ctrl ? 127 : 8;
  else if (c == 13 || (c == 10 && event.key == Key::Enter)) c = event.ctrl ? 10 : 13;
  Queue(c);
}

}  // namespace

void HandleKeyEvent(const Event& event) {
  K().current = KeyModifiers{event.shift, event.ctrl, event.alt};
  switch (event.type) {
    case EventType::KeyDown: KeyDown(event); break;
    case EventType::KeyUp: KeyUp(event); break;
    case EventType::Char: CharTyped(event); break;
    default: break;
  }
}

bool KeyPressed() {
  EnsureWindow();
  PumpMessages();
  return K().count > 0;
}

uint8_t ReadKey() {
  Keyboard& k = K();
  EnsureWindow();
  if (k.count == 0) {
    k.waiting = true;
    RefreshCaret();  // the caret shows from the first moment of the wait
    PumpMessages();
    while (!KeyPressed()) {
      if (!k.delivering_notices) {
        k.delivering_notices = true;
        DeliverNotices();
        k.delivering_notices = false;
        if (k.count > 0) break;
      }
      if (!ActiveBackend()->NeedKey()) {
        k.waiting = false;
        std::fprintf(stderr, "tessel: key script exhausted\n");
        EndProgram(3);
      }
      if (k.count == 0) WaitMessage();
    }
    k.waiting = false;
    RefreshCaret();
  }
  unsigned char byte = k.queue[0];
  k.last_read = k.modifiers[0];
  for (int i = 1; i < k.count; ++i) {
    k.queue[i - 1] = k.queue[i];
    k.modifiers[i - 1] = k.modifiers[i];
  }
  --k.count;
  return byte;
}

int QueuedKeys() { return K().count; }

KeyModifiers LastKeyModifiers() { return K().last_read; }

void FlushKeys() { K().count = 0; }

bool WaitingForKey() { return K().waiting; }

void SetBrailleMode(int mode) {
  Keyboard& k = K();
  if (mode > 2) mode = 1;
  if (mode < 0) mode = 0;
  if (mode != 0 && ActiveBackend() && !ActiveBackend()->ReportsKeyReleases()) {
    // Chords are read from key releases, which a terminal does not report.
    PostNotice("A entrada Braille precisa da janela");
    return;
  }
  if (mode == 0) {
    k.dots = 0;
    k.held = 0;
    ClearSigns();
    if (k.braille_mode != 0) PlayTone(100, 200);
  } else {
    PlayTone(800, 200);
    PlayTone(mode == 1 ? 1600 : 400, 200);
  }
  k.braille_mode = mode;
}

int BrailleMode() { return K().braille_mode; }

std::string ReadLinePlain() {
  std::string line;
  for (;;) {
    unsigned char c = ReadKey();
    if (c == 13) break;
    if (c == 8) {
      if (!line.empty()) {
        ConsoleWrite("\b");
        line.pop_back();
      }
    } else if (c >= 32 && line.size() < 126) {
      line += static_cast<char>(c);
      ConsoleWrite(std::string(1, static_cast<char>(c)));
    }
  }
  ConsoleWrite("\r\n");
  return line;
}

void ResetKeyboardForTests() { K() = Keyboard(); }

}  // namespace console
