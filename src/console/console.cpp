// The console window: grid, attributes, colours, writing, scrolling, the
// picture overlay, the clipboard, and the program's message pump.
//
// Map of this file:
//   state             the grid and everything the window needs
//   settings          [VIDEO] and [BRAILLE] of MIRANE.INI
//   window creation   lazy, on the first operation that needs it
//   writing           control characters, wrapping, scrolling, repaint spans
//   message pump      dispatch of platform events
//   picture           BMP loading for the overlay
//   end of program    CloseConsole, EndProgram, the screen file
#include "console/console.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "console/bmp.h"
#include "console/keyboard.h"
#include "platform/audio.h"
#include "console/tone.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/lifecycle.h"
#include "platform/log.h"
#include "platform/settings.h"
#include "platform/text.h"

namespace console {
namespace {

using platform::window::kColumns;
using platform::window::kRows;
using platform::window::Rgb;

// The 16 palette entries a colour index maps to.
const Rgb kPalette[16] = {
    {0, 0, 0},       {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
    {255, 0, 0},     {142, 0, 142},   {68, 34, 34},    {192, 192, 192},
    {128, 128, 128}, {128, 128, 255}, {128, 255, 128}, {128, 255, 255},
    {255, 128, 128}, {255, 128, 255}, {255, 255, 0},   {255, 255, 255}};

struct State {
  bool created = false;
  std::unique_ptr<platform::window::Backend> backend;
  uint8_t chars[kColumns * kRows];
  uint8_t attrs[kColumns * kRows];
  Rgb colours[16];                 // colour of each nibble value, remap applied
  uint8_t remap[16];               // TABCORES: colour index -> palette entry
  int column = 0, row = 0;         // cursor, 0-based
  uint8_t attribute = 0x07;        // given to written and cleared cells
  bool fixed_colours = false;      // CORESFIXAS: colour changes are ignored
  bool slow_scroll = false;        // LENTO: scroll by copying pixels
  bool maximise = false;           // CANTOTELA
  int magnification = 2;           // AMPLIF, 1-7
  int braille_mode = 0;            // [BRAILLE] MODO
  platform::window::FontRequest font;
  std::string title;
  bool focus = true;
  std::function<void(int64_t)> wave_done;
  // Picture overlay.
  bool has_picture = false;
  platform::window::Picture picture;
  int picture_x = 0, picture_y = 0;
  bool exit_registered = false;
};

State& S() {
  static State state;
  return state;
}

// --- settings --------------------------------------------------------------

const char kIni[] = "MIRANE.INI";

// The integer conversion of the settings: optional blanks, a sign, decimal
// digits, or a "$"/"0x" hexadecimal prefix; nothing may follow. `value` gets
// the digits read before any bad character.
bool SettingInteger(const std::string& text, long& value) {
  size_t i = 0;
  value = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  int base = 10;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  else if (i < text.size() && text[i] == '$') { base = 16; ++i; }
  else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) { base = 16; i += 2; }
  else if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) { base = 16; ++i; }
  size_t digits_start = i;
  for (; i < text.size(); ++i) {
    int digit;
    char c = text[i];
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else break;
    value = value * base + digit;
    if (value > 0xFFFFFFFFL) value &= 0xFFFFFFFFL;
  }
  if (negative) value = -value;
  return i == text.size() && i > digits_start;
}

std::string Video(const char* key, const char* default_value) {
  return platform::ProfileString(kIni, "VIDEO", key, default_value);
}

bool FirstIsS(const std::string& value) { return !value.empty() && (value[0] == 'S' || value[0] == 's'); }

std::string TrimBlanks(const std::string& text) {
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return {};
  size_t end = text.find_last_not_of(' ');
  return text.substr(start, end - start + 1);
}

void ReadSettings() {
  State& s = S();
  s.fixed_colours = false;
  s.slow_scroll = false;
  s.maximise = false;
  int foreground = 7, background = 0;

  // TABCORES: each entry is taken as many characters as precede its comma in
  // the unchanged value, but counted from the start of the trimmed value; so
  // blanks after the commas end the table early.
  for (int i = 0; i < 16; ++i) s.remap[i] = static_cast<uint8_t>(i);
  std::string table = Video("TABCORES", "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15") + ",";
  for (int i = 0; i < 16; ++i) {
    size_t comma = table.find(',');
    if (comma == std::string::npos) break;
    long value;
    if (!SettingInteger(TrimBlanks(table).substr(0, comma), value)) break;
    s.remap[i] = static_cast<uint8_t>(value & 0xFF);
    table.erase(0, comma + 1);
  }

  s.fixed_colours = FirstIsS(Video("CORESFIXAS", "N"));
  s.slow_scroll = FirstIsS(Video("LENTO", "N"));

  // A key present but empty leaves the built-in 0 and 7.
  long value = 0;
  std::string text = Video("CORFUNDO", "0");
  if (!text.empty()) { SettingInteger(text, value); background = static_cast<int>(value); }
  text = Video("CORLETRA", "15");
  if (!text.empty()) { SettingInteger(text, value); foreground = static_cast<int>(value); }
  s.attribute = static_cast<uint8_t>(((static_cast<unsigned>(background) << 4) | static_cast<unsigned>(foreground)) & 0xFF);

  std::string mode = platform::ProfileString(kIni, "BRAILLE", "MODO", "0");
  s.braille_mode = mode.empty() ? 0 : (static_cast<uint8_t>(mode[0]) & 3);

  std::string zoom = Video("AMPLIF", "2");
  s.magnification = zoom.empty() ? 0 : (static_cast<uint8_t>(zoom[0]) & 7);
  if (s.magnification < 1) s.magnification = 2;

  if (s.font.face.empty()) s.font.face = Video("FONTE", "Lucida Console").substr(0, 80);
  text = Video("LARGURALETRA", "");
  if (!text.empty()) { SettingInteger(text, value); s.font.width = static_cast<int>(value); }
  text = Video("ALTURALETRA", "");
  if (!text.empty()) { SettingInteger(text, value); s.font.height = static_cast<int>(value); }
  text = Video("PESOLETRA", "700");
  SettingInteger(text, value);
  s.font.weight = static_cast<int>(value);

  std::string corner = Video("CANTOTELA", "SIM");
  s.maximise = !FirstIsS(corner);
}

void UpdateColours() {
  State& s = S();
  for (int i = 0; i < 16; ++i) s.colours[i] = s.remap[i] > 15 ? Rgb{0, 0, 0} : kPalette[s.remap[i]];
}

platform::window::Frame MakeFrame() {
  State& s = S();
  platform::window::Frame frame;
  frame.chars = s.chars;
  frame.attrs = s.attrs;
  frame.colours = s.colours;
  frame.cursor_column = s.column;
  frame.cursor_row = s.row;
  frame.caret_visible = WaitingForKey() && s.focus;
  return frame;
}

void Repaint(int column_from, int column_to, int row_from, int row_to) {
  State& s = S();
  if (!s.backend || column_from >= column_to || row_from >= row_to) return;
  s.backend->Draw(MakeFrame(), column_from, column_to, row_from, row_to);
}

void WriteScreenFile() {
  const char* path = std::getenv("TESSEL_SCREEN");
  if (!path || !*path) return;
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return;
  State& s = S();
  for (int row = 0; row < kRows; ++row) {
    std::string line;
    if (s.created) line.assign(reinterpret_cast<const char*>(s.chars + row * kColumns), kColumns);
    size_t end = line.find_last_not_of(' ');
    line = end == std::string::npos ? std::string() : line.substr(0, end + 1);
    std::string utf8 = platform::Latin1ToUtf8(line) + "\n";
    std::fwrite(utf8.data(), 1, utf8.size(), file);
  }
  std::fclose(file);
}

// The title as the window shows it: with a note when speech cannot be heard.
std::string ShownTitle(const std::string& title) {
  const std::string& note = platform::audio::NoDeviceNote();
  if (note.empty()) return title;
  return title.empty() ? note : title + " (" + note + ")";
}

void RegisterExit() {
  State& s = S();
  if (s.exit_registered) return;
  s.exit_registered = true;
  platform::AtExit([] {
    WriteScreenFile();
    State& state = S();
    if (state.backend) state.backend->Shutdown();
  });
}

// --- writing -----------------------------------------------------------------

// The changed span of the cursor's row, repainted at each line change.
struct Span {
  int from = kColumns, to = 0;
  void Touch(int column) {
    from = std::min(from, column);
    to = std::max(to, column + 1);
  }
};

void FlushSpan(Span& span) {
  Repaint(span.from, span.to, S().row, S().row + 1);
  span = Span{};
}

void NewLine(Span& span) {
  State& s = S();
  FlushSpan(span);
  if (s.backend) s.backend->RowCompleted(MakeFrame(), s.row);
  if (s.row < kRows - 1) {
    ++s.row;
    return;
  }
  std::memmove(s.chars, s.chars + kColumns, kColumns * (kRows - 1));
  std::memmove(s.attrs, s.attrs + kColumns, kColumns * (kRows - 1));
  std::memset(s.chars + kColumns * (kRows - 1), ' ', kColumns);
  std::memset(s.attrs + kColumns * (kRows - 1), s.attribute, kColumns);
  if (s.backend) s.backend->Scrolled(MakeFrame(), s.slow_scroll);
}

}  // namespace

// --- window creation -------------------------------------------------------

void EnsureWindow() {
  State& s = S();
  if (s.created) return;
  ReadSettings();
  UpdateColours();
  std::memset(s.chars, ' ', sizeof s.chars);
  std::memset(s.attrs, s.attribute, sizeof s.attrs);
  s.column = s.row = 0;
  s.created = true;
  RegisterExit();
  // The sound output is chosen now, so a title can say at once when speech
  // cannot be heard.
  platform::audio::Init();
  using platform::window::ShowMode;
  s.backend = platform::window::CreateBackend(s.font, s.maximise ? ShowMode::Maximised : ShowMode::Normal);
  s.backend->SetMagnifier(s.magnification);
  if (!s.title.empty()) s.backend->SetTitle(ShownTitle(s.title));
  Repaint(0, kColumns, 0, kRows);
  SetBrailleMode(s.braille_mode);
}

bool WindowCreated() { return S().created; }

platform::window::Backend* ActiveBackend() { return S().backend.get(); }

int Magnification() { EnsureWindow(); return S().magnification; }
bool StartsMaximised() { EnsureWindow(); return S().maximise; }
platform::window::Rgb ColourOf(int index) { EnsureWindow(); return S().colours[index & 15]; }

void ConsoleWrite(std::string_view bytes) {
  EnsureWindow();
  State& s = S();
  Span span;
  for (unsigned char c : bytes) {
    switch (c) {
      case 7:
        FlushSpan(span);
        DefaultBeep();
        break;
      case 8:
        if (s.column > 0) {
          --s.column;
          s.chars[s.row * kColumns + s.column] = ' ';
          span.Touch(s.column);
        }
        break;
      case 10:
        NewLine(span);
        s.column = 0;
        break;
      case 13:
        s.column = 0;
        break;
      default:
        if (c < 32) break;  // other control characters, tab included, are ignored
        if (s.column == kColumns) {
          s.column = 0;
          NewLine(span);
        }
        s.chars[s.row * kColumns + s.column] = c;
        s.attrs[s.row * kColumns + s.column] = s.attribute;
        span.Touch(s.column);
        ++s.column;
    }
  }
  FlushSpan(span);
  PumpMessages();
}

void ConsoleWriteLine(std::string_view text) {
  std::string line(text);
  line += "\r\n";
  ConsoleWrite(line);
}

void ClearScreen() {
  EnsureWindow();
  State& s = S();
  std::memset(s.chars, ' ', sizeof s.chars);
  std::memset(s.attrs, s.attribute, sizeof s.attrs);
  s.column = s.row = 0;
  Repaint(0, kColumns, 0, kRows);
}

void ClearToEndOfLine() {
  EnsureWindow();
  State& s = S();
  int start = std::min(s.column, kColumns);
  std::memset(s.chars + s.row * kColumns + start, ' ', kColumns - start);
  std::memset(s.attrs + s.row * kColumns + start, s.attribute, kColumns - start);
  Repaint(start, kColumns, s.row, s.row + 1);
}

void GotoXY(int column, int row) {
  EnsureWindow();
  State& s = S();
  s.column = std::clamp(column, 1, kColumns) - 1;
  s.row = std::clamp(row, 1, kRows) - 1;
}

int WhereX() { EnsureWindow(); return S().column + 1; }
int WhereY() { EnsureWindow(); return S().row + 1; }

void TextColor(int colour) {
  EnsureWindow();
  State& s = S();
  if (s.fixed_colours) return;
  s.attribute = static_cast<uint8_t>((s.attribute & 0xF0) | (colour & 0x0F));
}

void TextBackground(int colour) {
  EnsureWindow();
  State& s = S();
  if (s.fixed_colours) return;
  // In unsigned arithmetic: any colour number a script gives is taken modulo
  // 16, never overflowing.
  s.attribute = static_cast<uint8_t>(((s.attribute & 0x0F) | (static_cast<unsigned>(colour) << 4)) & 0xFF);
}

uint8_t CurrentAttribute() { EnsureWindow(); return S().attribute; }

uint8_t ScreenChar(int column, int row) {
  EnsureWindow();
  column = std::clamp(column, 1, kColumns) - 1;
  row = std::clamp(row, 1, kRows) - 1;
  return S().chars[row * kColumns + column];
}

uint8_t ScreenAttr(int column, int row) {
  EnsureWindow();
  column = std::clamp(column, 1, kColumns) - 1;
  row = std::clamp(row, 1, kRows) - 1;
  return S().attrs[row * kColumns + column];
}

std::string ScreenRow(int row) {
  EnsureWindow();
  row = std::clamp(row, 1, kRows) - 1;
  return std::string(reinterpret_cast<const char*>(S().chars + row * kColumns), kColumns);
}

void SetTitle(const std::string& title) {
  State& s = S();
  s.title = title.substr(0, 79);
  platform::LogEvent("title", s.title);
  if (s.backend) s.backend->SetTitle(ShownTitle(s.title));
}

const std::string& Title() { return S().title; }

void ShowWindow(platform::window::ShowMode mode) {
  EnsureWindow();
  S().backend->Show(mode);
}

// --- message pump ------------------------------------------------------------

namespace {

void Dispatch(const platform::Event& event) {
  State& s = S();
  using platform::EventType;
  switch (event.type) {
    case EventType::KeyDown:
    case EventType::KeyUp:
    case EventType::Char:
      HandleKeyEvent(event);
      break;
    case EventType::Close:
      CloseConsole();
    case EventType::Quit:
      EndProgram(255);
    case EventType::FocusGained:
    case EventType::FocusLost:
      s.focus = event.type == EventType::FocusGained;
      Repaint(s.column, s.column + 1, s.row, s.row + 1);
      break;
    case EventType::Expose:
      Repaint(0, kColumns, 0, kRows);
      break;
    case EventType::WaveDone:
      if (s.wave_done) s.wave_done(event.param);
      break;
    case EventType::MouseMove:
    case EventType::MouseRightDown:
    case EventType::MouseRightUp:
    case EventType::Wake:
      break;  // the magnifier lives in the window back end; wake-ups only end waits
  }
}

}  // namespace

void PumpMessages() {
  State& s = S();
  if (s.backend) s.backend->Pump();
  platform::Event event;
  while (platform::TakeEvent(event)) Dispatch(event);
}

void PumpConsoleMessages() { PumpMessages(); }

void WaitMessage(int64_t timeout_ms) {
  EnsureWindow();
  State& s = S();
  s.backend->Pump();
  if (!platform::EventsPending()) {
    int64_t next = platform::NextTimedEventMs();
    if (next >= 0) {
      int64_t until = next - platform::NowMs();
      if (until < 0) until = 0;
      if (timeout_ms < 0 || until < timeout_ms) timeout_ms = until;
    }
    s.backend->Wait(timeout_ms);
  }
  PumpMessages();
}

void Delay(unsigned ms) {
  EnsureWindow();
  ms &= 0xFFFF;
  int64_t deadline = platform::NowMs() + ms;
  for (;;) {
    int64_t left = deadline - platform::NowMs();
    if (left <= 0) break;
    WaitMessage(left);
  }
  PumpMessages();
}

namespace {
NoticeHandler g_notice_handler = nullptr;
std::vector<std::string>& PendingNotices() {
  static std::vector<std::string> notices;
  return notices;
}
}  // namespace

void SetNoticeHandler(NoticeHandler handler) { g_notice_handler = handler; }

void PostNotice(const std::string& latin1) { PendingNotices().push_back(latin1); }

void DeliverNotices() {
  State& s = S();
  if (s.backend) {
    std::string notice = s.backend->TakeNotice();
    if (!notice.empty()) PostNotice(notice);
  }
  std::vector<std::string> notices;
  notices.swap(PendingNotices());
  for (const std::string& notice : notices) {
    if (g_notice_handler) g_notice_handler(notice);
    else ConsoleWriteLine(notice);
  }
}

void RefreshCaret() {
  State& s = S();
  if (!s.created) return;
  int column = std::min(s.column, kColumns - 1);
  Repaint(column, column + 1, s.row, s.row + 1);
}

bool PointerPosition(int& x, int& y, bool on_screen) {
  EnsureWindow();
  return S().backend->PointerPosition(x, y, on_screen);
}

// --- clipboard ---------------------------------------------------------------

void CopyToClipboard(const std::string& text) {
  EnsureWindow();
  std::string plain = text.substr(0, text.find('\0'));
  S().backend->SetClipboard(plain);
}

std::string PasteFromClipboard(size_t size) {
  if (size == 0) return {};
  EnsureWindow();
  std::string text = S().backend->Clipboard();
  if (text.size() > size - 1) text.resize(size - 1);
  return text;
}

// --- picture -----------------------------------------------------------------

bool LoadPicture(const std::string& file) {
  EnsureWindow();
  // The header first: a picture too large to show, or larger than the file
  // that claims it, is refused before any memory is taken for it.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(platform::files::Open(file, "rb"), std::fclose);
  if (!stream) return false;
  std::string data(kBmpHeaderBytes, '\0');
  if (std::fread(data.data(), 1, data.size(), stream.get()) != data.size()) return false;
  uint64_t needed = BmpFileBytes(data);
  int64_t length = platform::files::FileSize(file);
  if (needed == 0 || (platform::files::IsRegularFile(file) && static_cast<uint64_t>(length) < needed))
    return false;
  data.resize(static_cast<size_t>(needed));
  size_t rest = data.size() - kBmpHeaderBytes;
  if (std::fread(data.data() + kBmpHeaderBytes, 1, rest, stream.get()) != rest) return false;
  stream.reset();
  platform::window::Picture picture;
  if (!DecodeBmp(data, picture)) return false;
  State& s = S();
  s.picture = std::move(picture);
  s.has_picture = true;
  s.picture_x = s.picture_y = 0;
  return true;
}

void DrawPicture(int x, int y) {
  EnsureWindow();
  State& s = S();
  if (!s.has_picture) return;
  s.picture_x = x;
  s.picture_y = y;
  s.backend->SetPicture(&s.picture, x, y);
}

void RemovePicture() {
  EnsureWindow();
  State& s = S();
  s.has_picture = false;
  s.picture = {};
  s.backend->SetPicture(nullptr, 0, 0);
  Repaint(0, kColumns, 0, kRows);
  PumpMessages();
}

// --- date and time -----------------------------------------------------------

Date GetDate() {
  platform::WallTime now = platform::LocalNow();
  return Date{now.year, now.month, now.day, now.day_of_week};
}

Time GetTime() {
  platform::WallTime now = platform::LocalNow();
  return Time{now.hour, now.minute, now.second, now.millisecond / 10};
}

void SetWaveDoneHandler(std::function<void(int64_t)> handler) { S().wave_done = std::move(handler); }

// --- end of program ----------------------------------------------------------

void CloseConsole() {
  State& s = S();
  if (s.created) FlushKeys();
  platform::Exit(0);
}

void EndProgram(int code) {
  if (S().created) FlushKeys();
  platform::Exit(code);
}

void ResetForTests() {
  State& s = S();
  if (s.backend) s.backend->Shutdown();
  bool registered = s.exit_registered;
  s = State();
  s.exit_registered = registered;
  ResetKeyboardForTests();
  platform::ClearEvents();
}

}  // namespace console
