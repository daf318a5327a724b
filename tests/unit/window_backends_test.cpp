// The console's real back ends: the terminal's key parser and painter (as
// tables), the terminal back end on a pseudo-terminal, and the SDL window on
// an Xvfb display of the test's own, checked pixel by pixel in screenshots.
#include <X11/keysym.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/input_commands.h"
#include "interpreter/operands.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/terminal_keys.h"
#include "platform/terminal_screen.h"
#include "platform/window.h"

namespace {

using platform::Event;
using platform::EventType;
using platform::Key;
namespace window = platform::window;

// --- describing events --------------------------------------------------------

const char* KeyName(Key key) {
  static const char* const kNames[] = {
      "None", "Letter", "Digit", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
      "Insert", "Delete", "Home", "End", "PageUp", "PageDown", "Up", "Down", "Left", "Right",
      "Enter", "Backspace", "Escape", "Tab", "Space", "Break", "Other"};
  return kNames[static_cast<int>(key)];
}

std::string Modifiers(const Event& event) {
  std::string text;
  if (event.ctrl) text += "+ctrl";
  if (event.shift) text += "+shift";
  if (event.alt) text += "+alt";
  return text;
}

// "Up+ctrl", "Letter A", ...: a key event's key, symbol and modifiers.
std::string KeyText(const Event& event) {
  std::string text = KeyName(event.key);
  if (event.symbol) text += std::string(" ") + static_cast<char>(event.symbol);
  return text + Modifiers(event);
}

// The events of key presses, one press per "|": "Letter A" for KeyDown and
// KeyUp of the same key, with " =N" when a Char N came between them.
std::string DescribePresses(const std::vector<Event>& events) {
  std::string text;
  for (size_t i = 0; i < events.size(); ++i) {
    const Event& event = events[i];
    if (!text.empty()) text += " | ";
    if (event.type != EventType::KeyDown) {
      text += "stray event";
      continue;
    }
    text += KeyText(event);
    size_t next = i + 1;
    if (next < events.size() && events[next].type == EventType::Char) {
      text += " =" + std::to_string(events[next].character);
      if (Modifiers(events[next]) != Modifiers(event)) text += " (char modifiers differ)";
      ++next;
    }
    if (next >= events.size() || events[next].type != EventType::KeyUp || KeyText(events[next]) != KeyText(event))
      text += " (no matching KeyUp)";
    else
      ++next;
    i = next - 1;
  }
  return text;
}

// --- terminal key parser -----------------------------------------------------------

struct KeyCase {
  std::string_view input;
  bool complete;
  const char* presses;
  size_t consumed;
};

// Test names show the expected presses, not the struct's bytes.
void PrintTo(const KeyCase& c, std::ostream* out) { *out << c.presses; }

class WindowBackendsTerminalKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(WindowBackendsTerminalKeys, ParsesBytes) {
  const KeyCase& c = GetParam();
  platform::terminal::ParsedKeys parsed = platform::terminal::ParseTerminalKeys(c.input, c.complete);
  EXPECT_EQ(DescribePresses(parsed.events), c.presses);
  EXPECT_EQ(parsed.consumed, c.consumed);
}

INSTANTIATE_TEST_SUITE_P(
    , WindowBackendsTerminalKeys,
    ::testing::Values(
        // Printable characters, and UTF-8 typed as Latin-1.
        KeyCase{"aZ5 ;", false, "Letter A =97 | Letter Z+shift =90 | Digit 5 =53 | Space =32 | Other =59", 5},
        KeyCase{"\xc3\xa7\xc3\x89", false, "Other =231 | Other =201", 4},
        KeyCase{"\xe2\x82\xac", false, "Other =128", 3},          // the euro sign is 0x80 in Windows-1252
        KeyCase{"\xe2\x88\x9a" "a", false, "Letter A =97", 4},    // a character the code page lacks is dropped
        KeyCase{"\xe7" "a", false, "Other =231 | Letter A =97", 2},  // Latin-1 input still works
        KeyCase{"\xc3", false, "", 0},                             // cut off: waits for the rest
        KeyCase{"\xc3", true, "Other =195", 1},
        // Control keys.
        KeyCase{"\r\t\x7f\x08", false, "Enter =13 | Tab =9 | Backspace =8 | Backspace =8", 4},
        KeyCase{"\x01\x1a\x0a", false, "Letter A+ctrl =1 | Letter Z+ctrl =26 | Letter J+ctrl =10", 3},
        KeyCase{"\x03", false, "Break+ctrl", 1},
        KeyCase{std::string_view("\0", 1), false, "Space+ctrl =32", 1},
        KeyCase{"\x1c", false, "Other+ctrl =28", 1},
        // Escape alone only once nothing follows.
        KeyCase{"\x1b", false, "", 0},
        KeyCase{"\x1b", true, "Escape =27", 1},
        KeyCase{"\x1b\x1b", true, "Escape =27 | Escape =27", 2},
        // Cursor and editing keys, xterm and VT forms.
        KeyCase{"\x1b[A\x1b[B\x1b[C\x1b[D", false, "Up | Down | Right | Left", 12},
        KeyCase{"\x1b[H\x1b[F\x1bOH\x1bOF", false, "Home | End | Home | End", 12},
        KeyCase{"\x1b[1~\x1b[4~\x1b[7~\x1b[8~", false, "Home | End | Home | End", 16},
        KeyCase{"\x1b[2~\x1b[3~\x1b[5~\x1b[6~", false, "Insert | Delete | PageUp | PageDown", 16},
        KeyCase{"\x1bOA", false, "Up", 3},
        // Function keys.
        KeyCase{"\x1bOP\x1bOQ\x1bOR\x1bOS", false, "F1 | F2 | F3 | F4", 12},
        KeyCase{"\x1b[11~\x1b[12~\x1b[13~\x1b[14~\x1b[15~", false, "F1 | F2 | F3 | F4 | F5", 25},
        KeyCase{"\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~\x1b[23~\x1b[24~", false,
                "F6 | F7 | F8 | F9 | F10 | F11 | F12", 35},
        KeyCase{"\x1b[[A\x1b[[E", false, "F1 | F5", 8},  // the Linux console
        // Modifiers.
        KeyCase{"\x1b[1;5A\x1b[1;3D\x1b[1;2P\x1b[2;2~", false, "Up+ctrl | Left+alt | F1+shift | Insert+shift", 24},
        KeyCase{"\x1b[15;5~\x1b[1;6H\x1bO5P", false, "F5+ctrl | Home+ctrl+shift | F1+ctrl", 17},
        KeyCase{"\x1b[Z", false, "Tab+shift =9", 3},
        // Alt with a key: ESC first, no character typed.
        KeyCase{"\x1b" "a\x1b" "A\x1b" "7", false, "Letter A+alt | Letter A+shift+alt | Digit 7+alt", 6},
        KeyCase{"\x1b\x1b[A", false, "Up+alt", 4},
        KeyCase{"\x1b\r", false, "Enter+alt", 2},
        // Sequences cut off wait for the rest; complete input takes them as Alt keys.
        KeyCase{"a\x1b[1;5", false, "Letter A =97", 1},
        KeyCase{"\x1b[", false, "", 0},
        KeyCase{"\x1b[", true, "Other+alt", 2},
        KeyCase{"\x1bO", true, "Letter O+shift+alt", 2},
        // Replies and keys we do not know are skipped whole.
        KeyCase{"\x1b[99~x", false, "Letter X =120", 6},
        KeyCase{"\x1b[?1;2cx", false, "Letter X =120", 8}));

// --- terminal painter ------------------------------------------------------------------

// A frame with its own buffers: blanks, white on black, the standard palette.
struct TestFrame {
  std::array<uint8_t, window::kColumns * window::kRows> chars{};
  std::array<uint8_t, window::kColumns * window::kRows> attrs{};
  std::array<window::Rgb, 16> colours{{{0, 0, 0}, {0, 0, 255}, {0, 255, 0}, {0, 255, 255},
                                       {255, 0, 0}, {142, 0, 142}, {68, 34, 34}, {192, 192, 192},
                                       {128, 128, 128}, {128, 128, 255}, {128, 255, 128}, {128, 255, 255},
                                       {255, 128, 128}, {255, 128, 255}, {255, 255, 0}, {255, 255, 255}}};
  int cursor_column = 0, cursor_row = 0;
  bool caret_visible = false;

  TestFrame() {
    chars.fill(' ');
    attrs.fill(0x0F);
  }
  void Put(int column, int row, const std::string& latin1, uint8_t attribute) {
    for (size_t i = 0; i < latin1.size(); ++i) {
      chars[row * window::kColumns + column + i] = static_cast<uint8_t>(latin1[i]);
      attrs[row * window::kColumns + column + i] = attribute;
    }
  }
  void Fill(int column, int row, int count, uint8_t attribute) {
    for (int i = 0; i < count; ++i) attrs[row * window::kColumns + column + i] = attribute;
  }
  // The grid moves up one row, the new last row blank white on black.
  void ScrollUp() {
    std::memmove(chars.data(), chars.data() + window::kColumns, window::kColumns * (window::kRows - 1));
    std::memmove(attrs.data(), attrs.data() + window::kColumns, window::kColumns * (window::kRows - 1));
    std::memset(chars.data() + window::kColumns * (window::kRows - 1), ' ', window::kColumns);
    std::memset(attrs.data() + window::kColumns * (window::kRows - 1), 0x0F, window::kColumns);
  }
  window::Frame View() const {
    window::Frame frame;
    frame.chars = chars.data();
    frame.attrs = attrs.data();
    frame.colours = colours.data();
    frame.cursor_column = cursor_column;
    frame.cursor_row = cursor_row;
    frame.caret_visible = caret_visible;
    return frame;
  }
};

struct PaintCase {
  const char* name;
  int column_from, column_to, row_from, row_to;
  int terminal_columns, terminal_rows;
  bool caret_visible;
  int caret_column, caret_row;
  const char* expected;
};

void PrintTo(const PaintCase& c, std::ostream* out) { *out << c.name; }

class WindowBackendsTerminalPaint : public ::testing::TestWithParam<PaintCase> {};

TEST_P(WindowBackendsTerminalPaint, WritesRunsWithColours) {
  const PaintCase& c = GetParam();
  TestFrame frame;
  frame.Put(0, 0, "A\xe9", 0x4F);       // white on red
  frame.Put(2, 0, "\x80", 0x1E);        // yellow on blue: the euro sign
  frame.Put(3, 0, "\x7f\x81", 0x1E);    // shown as blanks
  frame.Put(78, 1, "yz", 0x07);
  frame.caret_visible = c.caret_visible;
  frame.cursor_column = c.caret_column;
  frame.cursor_row = c.caret_row;
  std::string painted = platform::terminal::PaintCells(frame.View(), c.column_from, c.column_to, c.row_from,
                                                       c.row_to, c.terminal_columns, c.terminal_rows);
  EXPECT_EQ(painted, c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    , WindowBackendsTerminalPaint,
    ::testing::Values(
        PaintCase{"runs of equal attribute", 0, 6, 0, 1, 80, 25, false, 0, 0,
                  "\x1b[?25l\x1b[1;1H\x1b[38;2;255;255;255;48;2;255;0;0mA\xc3\xa9"
                  "\x1b[38;2;255;255;0;48;2;0;0;255m\xe2\x82\xac  "
                  "\x1b[38;2;255;255;255;48;2;0;0;0m \x1b[0m"},
        PaintCase{"two rows, caret shown", 77, 80, 0, 2, 80, 25, true, 5, 3,
                  "\x1b[?25l\x1b[1;78H\x1b[38;2;255;255;255;48;2;0;0;0m   \x1b[2;78H "
                  "\x1b[38;2;192;192;192;48;2;0;0;0myz\x1b[0m\x1b[4;6H\x1b[?25h"},
        PaintCase{"caret past the last column stays on it", 0, 1, 1, 2, 80, 25, true, 80, 0,
                  "\x1b[?25l\x1b[2;1H\x1b[38;2;255;255;255;48;2;0;0;0m \x1b[0m\x1b[1;80H\x1b[?25h"},
        PaintCase{"a small terminal shows what fits", 76, 80, 0, 25, 78, 1, true, 79, 0,
                  "\x1b[?25l\x1b[1;77H\x1b[38;2;255;255;255;48;2;0;0;0m  \x1b[0m"},
        PaintCase{"nothing to paint", 5, 5, 0, 25, 80, 25, false, 0, 0, "\x1b[?25l"}),
    [](const ::testing::TestParamInfo<PaintCase>& info) { return "case" + std::to_string(info.index); });

TEST(WindowBackendsTerminalText, CellsAndTitleSendNoControls) {
  struct {
    unsigned char byte;
    const char* text;
  } const cells[] = {{'a', "a"}, {0xE7, "\xc3\xa7"}, {0x80, "\xe2\x82\xac"}, {0x9D, " "}, {0x1B, " "}, {0x7F, " "}};
  for (const auto& cell : cells) EXPECT_EQ(platform::terminal::CellText(cell.byte), cell.text) << int(cell.byte);
  EXPECT_EQ(platform::terminal::TitleSequence("T\xedtulo\x07\x1b"), "\x1b]0;T\xc3\xadtulo\x07");
}

// --- terminal back end on a pseudo-terminal ------------------------------------------------

// Sets an environment variable for the life of the object, then restores it.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~ScopedVariable() {
    if (old_) setenv(name_.c_str(), old_->c_str(), 1);
    else unsetenv(name_.c_str());
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// A pseudo-terminal whose slave side stands in for standard input and
// output while Attach lives. Nothing may be asserted while attached: the
// test's own output would go into the pseudo-terminal.
class PseudoTerminal {
 public:
  PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    slave_ = open(ptsname(master_), O_RDWR | O_NOCTTY);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  }
  ~PseudoTerminal() {
    Detach();
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
  }
  bool ok() const { return master_ >= 0 && slave_ >= 0; }
  int slave() const { return slave_; }

  void Attach() {
    fflush(stdout);
    saved_in_ = dup(STDIN_FILENO);
    saved_out_ = dup(STDOUT_FILENO);
    dup2(slave_, STDIN_FILENO);
    dup2(slave_, STDOUT_FILENO);
  }
  void Detach() {
    if (saved_in_ < 0) return;
    dup2(saved_in_, STDIN_FILENO);
    dup2(saved_out_, STDOUT_FILENO);
    close(saved_in_);
    close(saved_out_);
    saved_in_ = saved_out_ = -1;
  }
  // Types bytes as the user would.
  void Type(const std::string& bytes) { (void)!write(master_, bytes.data(), bytes.size()); }
  // What the program wrote to the terminal so far.
  std::string Drain() {
    std::string out;
    char buffer[4096];
    for (;;) {
      pollfd ready{master_, POLLIN, 0};
      if (poll(&ready, 1, 50) <= 0) break;
      ssize_t count = read(master_, buffer, sizeof buffer);
      if (count <= 0) break;
      out.append(buffer, static_cast<size_t>(count));
    }
    return out;
  }

 private:
  int master_ = -1, slave_ = -1;
  int saved_in_ = -1, saved_out_ = -1;
};

std::vector<Event> TakeAll() {
  std::vector<Event> events;
  Event event;
  while (platform::TakeEvent(event)) events.push_back(event);
  return events;
}

// Waits (through the back end) until `count` events have come, or a few
// waits bring nothing.
std::vector<Event> WaitForEvents(window::Backend& backend, size_t count) {
  std::vector<Event> events;
  for (int empty_waits = 0; events.size() < count && empty_waits < 5;) {
    backend.Wait(1000);
    std::vector<Event> more = TakeAll();
    if (more.empty()) ++empty_waits;
    events.insert(events.end(), more.begin(), more.end());
  }
  return events;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(WindowBackendsTerminal, RefusesUnlessInputAndOutputAreTerminals) {
  PseudoTerminal terminal;
  ASSERT_TRUE(terminal.ok());
  ScopedVariable term("TERM", "xterm-256color");
  int null_device = open("/dev/null", O_RDWR);
  struct {
    bool input_is_terminal, output_is_terminal, works;
  } const cases[] = {{false, true, false}, {true, false, false}, {true, true, true}};
  bool created[3] = {};
  int saved_in = dup(STDIN_FILENO), saved_out = dup(STDOUT_FILENO);
  std::fflush(stdout);
  for (int i = 0; i < 3; ++i) {
    dup2(cases[i].input_is_terminal ? terminal.slave() : null_device, STDIN_FILENO);
    dup2(cases[i].output_is_terminal ? terminal.slave() : null_device, STDOUT_FILENO);
    created[i] = window::kTerminalBackend.create({}, window::ShowMode::Normal) != nullptr;
  }
  dup2(saved_in, STDIN_FILENO);
  dup2(saved_out, STDOUT_FILENO);
  close(saved_in);
  close(saved_out);
  close(null_device);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(created[i], cases[i].works) << "case " << i;
}

TEST(WindowBackendsTerminal, RawModeScreenKeysAndRestore) {
  PseudoTerminal terminal;
  ASSERT_TRUE(terminal.ok());
  ScopedVariable term("TERM", "xterm-256color");
  termios before{};
  tcgetattr(terminal.slave(), &before);
  platform::ClearEvents();

  terminal.Attach();
  std::unique_ptr<window::Backend> backend = window::kTerminalBackend.create({}, window::ShowMode::Normal);
  termios raw{};
  tcgetattr(terminal.slave(), &raw);
  std::string opening = terminal.Drain();
  std::string painted, titled;
  std::vector<Event> keys, escape;
  bool created = backend != nullptr;
  if (backend) {
    TestFrame frame;
    frame.Put(0, 0, "Ol\xe1", 0x4F);
    frame.caret_visible = true;
    frame.cursor_column = 3;
    backend->Draw(frame.View(), 0, 4, 0, 1);
    backend->SetTitle("T\xedtulo");
    painted = terminal.Drain();
    terminal.Type("\x1b[A\xc3\xa9\x03");
    keys = WaitForEvents(*backend, 7);
    terminal.Type("\x1b");
    escape = WaitForEvents(*backend, 3);
  }
  backend.reset();
  termios after{};
  tcgetattr(terminal.slave(), &after);
  std::string closing = terminal.Drain();
  terminal.Detach();

  ASSERT_TRUE(created);
  EXPECT_FALSE(raw.c_lflag & (ICANON | ECHO | ISIG)) << "raw mode";
  EXPECT_TRUE(Contains(opening, "\x1b[?1049h")) << "alternate screen";
  EXPECT_TRUE(Contains(painted, "\x1b[1;1H\x1b[38;2;255;255;255;48;2;255;0;0mOl\xc3\xa1")) << "painted cells";
  EXPECT_TRUE(Contains(painted, "\x1b[1;4H\x1b[?25h")) << "caret";
  EXPECT_TRUE(Contains(painted, "\x1b]0;T\xc3\xadtulo\x07")) << "title";
  EXPECT_EQ(DescribePresses(keys), "Up | Other =233 | Break+ctrl");
  EXPECT_EQ(DescribePresses(escape), "Escape =27");
  EXPECT_EQ(after.c_lflag, before.c_lflag) << "terminal restored";
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_TRUE(Contains(closing, "\x1b[?1049l")) << "left the alternate screen";
}

// A terminal of 80x20: the part of the grid holding the cursor's row shows,
// the user hears once that the terminal is small, and Braille chords are
// refused there (a terminal reports no key releases).
TEST(WindowBackendsTerminal, SmallTerminalFollowsTheCursorRow) {
  PseudoTerminal terminal;
  ASSERT_TRUE(terminal.ok());
  ScopedVariable term("TERM", "xterm-256color");
  winsize size{};
  size.ws_col = 80;
  size.ws_row = 20;
  ASSERT_EQ(ioctl(terminal.slave(), TIOCSWINSZ, &size), 0);

  terminal.Attach();
  std::unique_ptr<window::Backend> backend = window::kTerminalBackend.create({}, window::ShowMode::Normal);
  std::string first_notice, second_notice, top_painted, bottom_painted;
  bool releases = true;
  if (backend) {
    terminal.Drain();
    first_notice = backend->TakeNotice();
    second_notice = backend->TakeNotice();
    releases = backend->ReportsKeyReleases();
    TestFrame frame;
    frame.Put(0, 0, "topo", 0x07);
    frame.Put(0, 24, "fundo", 0x07);
    frame.caret_visible = true;
    frame.cursor_row = 24;
    frame.cursor_column = 5;
    backend->Draw(frame.View(), 0, 6, 24, 25);
    bottom_painted = terminal.Drain();
    frame.cursor_row = 0;
    backend->Draw(frame.View(), 0, 6, 0, 1);
    top_painted = terminal.Drain();
  }
  backend.reset();
  terminal.Drain();
  terminal.Detach();

  ASSERT_FALSE(first_notice.empty());
  EXPECT_EQ(first_notice, "O terminal \xE9 menor que 80x25");
  EXPECT_TRUE(second_notice.empty()) << "said once";
  EXPECT_FALSE(releases);
  // Grid row 25 shows on the terminal's row 20, with the caret after "fundo".
  EXPECT_TRUE(Contains(bottom_painted, "\x1b[20;1H")) << bottom_painted;
  EXPECT_TRUE(Contains(bottom_painted, "fundo"));
  EXPECT_TRUE(Contains(bottom_painted, "\x1b[20;6H\x1b[?25h")) << "caret on the cursor's row";
  // Back at the top, grid row 1 is the terminal's row 1 again.
  EXPECT_TRUE(Contains(top_painted, "\x1b[1;1H"));
  EXPECT_TRUE(Contains(top_painted, "topo"));
}

TEST(WindowBackendsTerminal, SignalRestoresTheTerminal) {
  PseudoTerminal terminal;
  ASSERT_TRUE(terminal.ok());
  ScopedVariable term("TERM", "xterm-256color");
  termios before{};
  tcgetattr(terminal.slave(), &before);
  fflush(nullptr);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(terminal.slave(), STDIN_FILENO);
    dup2(terminal.slave(), STDOUT_FILENO);
    auto backend = window::kTerminalBackend.create({}, window::ShowMode::Normal);
    if (!backend) _exit(3);
    termios raw{};
    tcgetattr(STDIN_FILENO, &raw);
    if (raw.c_lflag & ICANON) _exit(4);
    raise(SIGTERM);
    _exit(5);  // not reached: the signal ends the child after the terminal is restored
  }
  int status = 0;
  waitpid(child, &status, 0);
  termios after{};
  tcgetattr(terminal.slave(), &after);
  std::string output = terminal.Drain();
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_TRUE(Contains(output, "\x1b[?1049l"));
}

TEST(WindowBackendsTerminal, StandardErrorWaitsUntilTheScreenIsGone) {
  PseudoTerminal terminal;
  ASSERT_TRUE(terminal.ok());
  ScopedVariable term("TERM", "xterm-256color");
  fflush(nullptr);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(terminal.slave(), STDIN_FILENO);
    dup2(terminal.slave(), STDOUT_FILENO);
    dup2(terminal.slave(), STDERR_FILENO);
    auto backend = window::kTerminalBackend.create({}, window::ShowMode::Normal);
    if (!backend) _exit(3);
    std::fprintf(stderr, "a library complains\n");
    std::fflush(stderr);
    backend.reset();
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  std::string output = terminal.Drain();
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  size_t left = output.find("\x1b[?1049l");
  size_t message = output.find("a library complains");
  ASSERT_NE(left, std::string::npos);
  ASSERT_NE(message, std::string::npos) << "the held message is shown at the end";
  EXPECT_GT(message, left) << "nothing is written over the grid";
}

// --- SDL window on Xvfb ---------------------------------------------------------------------

// An Xvfb server of the test's own: it picks a free display number itself
// and reports it once it accepts connections (-displayfd).
class XvfbServer {
 public:
  XvfbServer() {
    int report[2];
    if (pipe(report) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);  // the server ends with the test, however the test ends
      close(report[0]);
      int null_output = open("/dev/null", O_WRONLY);
      dup2(null_output, STDOUT_FILENO);
      dup2(null_output, STDERR_FILENO);
      std::string descriptor = std::to_string(report[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", descriptor.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(report[1]);
    std::string number;
    char c;
    for (;;) {
      pollfd ready{report[0], POLLIN, 0};
      if (poll(&ready, 1, 30000) <= 0 || read(report[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    close(report[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~XvfbServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  // ":N", or empty when the server did not start.
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// True when the X server and ImageMagick's screenshot tool are at hand.
bool XvfbInstalled() {
  return std::system("command -v Xvfb >/dev/null 2>&1 && command -v import >/dev/null 2>&1") == 0;
}

struct Pixel {
  uint8_t r, g, b;
  bool operator==(const Pixel& other) const { return r == other.r && g == other.g && b == other.b; }
};

std::ostream& operator<<(std::ostream& out, const Pixel& pixel) {
  return out << "(" << int(pixel.r) << "," << int(pixel.g) << "," << int(pixel.b) << ")";
}

// A screenshot of the whole screen.
struct Image {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  Pixel At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return Pixel{1, 2, 3};
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return Pixel{p[0], p[1], p[2]};
  }
};

// Reads the next number of a PPM header, skipping blanks and comments.
int PpmNumber(const std::string& data, size_t& position) {
  while (position < data.size()) {
    if (data[position] == '#') {
      while (position < data.size() && data[position] != '\n') ++position;
    } else if (std::isspace(static_cast<unsigned char>(data[position]))) {
      ++position;
    } else {
      break;
    }
  }
  int number = 0;
  while (position < data.size() && std::isdigit(static_cast<unsigned char>(data[position])))
    number = number * 10 + (data[position++] - '0');
  return number;
}

// Takes a screenshot of the display's root window with ImageMagick's import;
// also saves it as a PNG under the build folder.
std::optional<Image> Screenshot(const std::string& display, const std::string& artefact_name) {
  std::filesystem::path artefacts =
      std::filesystem::path(TESSEL_BINARY).parent_path().parent_path() / "test-artefacts";
  std::filesystem::create_directories(artefacts);
  std::string ppm = (artefacts / (artefact_name + ".ppm")).string();
  std::string png = (artefacts / (artefact_name + ".png")).string();
  std::string command = "import -display " + display + " -window root -depth 8 ppm:" + ppm +
                        " && import -display " + display + " -window root png:" + png;
  if (std::system(command.c_str()) != 0) return std::nullopt;
  std::FILE* file = std::fopen(ppm.c_str(), "rb");
  if (!file) return std::nullopt;
  std::string data;
  char buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) data.append(buffer, count);
  std::fclose(file);
  std::filesystem::remove(ppm);
  if (data.compare(0, 2, "P6") != 0) return std::nullopt;
  size_t position = 2;
  Image image;
  image.width = PpmNumber(data, position);
  image.height = PpmNumber(data, position);
  int maximum = PpmNumber(data, position);
  ++position;  // the one blank after the header
  size_t size = static_cast<size_t>(image.width) * image.height * 3;
  if (maximum != 255 || data.size() < position + size) return std::nullopt;
  image.rgb.assign(data.begin() + position, data.begin() + position + size);
  return image;
}

constexpr Pixel kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kBlack{0, 0, 0}, kYellow{255, 255, 0},
    kMagenta{255, 0, 255};

class WindowBackendsSdl : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!XvfbInstalled()) return;
    server_ = new XvfbServer;  // lives for the suite; freed in TearDownTestSuite
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (!server_) GTEST_SKIP() << "Xvfb or ImageMagick's import is not installed";
    ASSERT_FALSE(server_->display().empty()) << "Xvfb did not start";
    display_.emplace("DISPLAY", server_->display().c_str());
    wayland_.emplace("WAYLAND_DISPLAY", nullptr);
    // The software renderer finishes drawing before present returns, so a
    // screenshot right after shows it.
    renderer_.emplace("SDL_RENDER_DRIVER", "software");
    platform::ClearEvents();
  }
  void TearDown() override { platform::ClearEvents(); }

  // The screen position of the grid's top-left corner: the first pixel of
  // the red cell (0,0) in reading order.
  static bool FindOrigin(const Image& image, int& x, int& y) {
    for (y = 0; y < image.height; ++y)
      for (x = 0; x < image.width; ++x)
        if (image.At(x, y) == kRed) return true;
    return false;
  }

  static XvfbServer* server_;
  std::optional<ScopedVariable> display_, wayland_, renderer_;
};

XvfbServer* WindowBackendsSdl::server_ = nullptr;

// Pixels of one cell that are bright (text or caret on a dark background).
struct CellInk {
  int bright = 0;          // bright pixels in the cell
  int bright_rows = 0;     // rows holding a bright pixel
  int full_rows = 0;       // rows that are bright across the whole cell
};

CellInk InkOfCell(const Image& image, int x0, int y0, int width, int height) {
  CellInk ink;
  for (int y = y0; y < y0 + height; ++y) {
    int in_row = 0;
    for (int x = x0; x < x0 + width; ++x) {
      Pixel p = image.At(x, y);
      if (p.r > 128 && p.g > 128 && p.b > 128) ++in_row;
    }
    ink.bright += in_row;
    if (in_row > 0) ++ink.bright_rows;
    if (in_row == width) ++ink.full_rows;
  }
  return ink;
}

TEST_F(WindowBackendsSdl, DrawsCellsTextCaretPictureAndScrolls) {
  // A face that does not exist: the back end falls back to a monospace face.
  window::FontRequest request;
  request.face = "No Such Face Anywhere";
  request.width = 10;
  request.height = 20;
  std::unique_ptr<window::Backend> backend = window::kSdlBackend.create(request, window::ShowMode::Normal);
  ASSERT_NE(backend, nullptr);
  EXPECT_STREQ(backend->Name(), "window");
  int cell_width = 0, cell_height = 0;
  backend->CellSize(cell_width, cell_height);
  ASSERT_EQ(cell_width, 10);
  ASSERT_EQ(cell_height, 20);

  TestFrame frame;
  frame.Fill(0, 0, 1, 0x4F);  // (0,0) red
  frame.Fill(1, 0, 3, 0x2F);  // (1..3,0) green
  frame.Fill(0, 1, 1, 0x1F);  // (0,1) blue
  frame.Put(0, 3, "Tessel \xc1\xc7\x80", 0x0F);
  frame.caret_visible = true;
  frame.cursor_column = 20;
  frame.cursor_row = 5;
  backend->Draw(frame.View(), 0, window::kColumns, 0, window::kRows);
  backend->Pump();

  std::optional<Image> shot = Screenshot(server_->display(), "window_backends_sdl_1");
  ASSERT_TRUE(shot);
  int ox = 0, oy = 0;
  ASSERT_TRUE(FindOrigin(*shot, ox, oy)) << "no red cell on the screen";
  auto cell = [&](int column, int row, int dx, int dy) {
    return shot->At(ox + column * cell_width + dx, oy + row * cell_height + dy);
  };
  // Every pixel of the red cell, and nothing red beyond it.
  for (int dy = 0; dy < cell_height; ++dy)
    for (int dx = 0; dx < cell_width; ++dx) ASSERT_EQ(cell(0, 0, dx, dy), kRed) << dx << "," << dy;
  EXPECT_EQ(cell(1, 0, 0, 0), kGreen);
  EXPECT_EQ(cell(3, 0, cell_width - 1, cell_height - 1), kGreen);
  EXPECT_EQ(cell(4, 0, 0, 0), kBlack);
  EXPECT_EQ(cell(0, 1, 0, 0), kBlue);
  EXPECT_EQ(cell(0, 1, cell_width - 1, cell_height - 1), kBlue);
  EXPECT_EQ(cell(1, 1, 0, 0), kBlack);
  // Text: every non-blank character leaves ink in its own cell, the blank
  // and the cells after the text none.
  for (int column = 0; column < 10; ++column) {
    int bright = InkOfCell(*shot, ox + column * cell_width, oy + 3 * cell_height, cell_width, cell_height).bright;
    if (column == 6) EXPECT_EQ(bright, 0) << "blank at column " << column;
    else EXPECT_GT(bright, 3) << "character at column " << column;
  }
  EXPECT_EQ(InkOfCell(*shot, ox + 10 * cell_width, oy + 3 * cell_height, 10 * cell_width, cell_height).bright, 0);
  // The caret: a bar as wide as the cell, two pixels high.
  CellInk caret = InkOfCell(*shot, ox + 20 * cell_width, oy + 5 * cell_height, cell_width, cell_height);
  EXPECT_EQ(caret.bright_rows, 2);
  EXPECT_EQ(caret.full_rows, 2);

  // A partial redraw changes its cells only; the caret goes.
  frame.Fill(4, 0, 1, 0xE0);  // (4,0) yellow
  frame.caret_visible = false;
  backend->Draw(frame.View(), 4, 5, 0, 1);
  // The picture lies over the text.
  window::Picture picture;
  picture.width = 30;
  picture.height = 15;
  picture.pixels.assign(30 * 15, 0xFFFF00FFu);
  backend->SetPicture(&picture, 300, 100);
  backend->Pump();
  shot = Screenshot(server_->display(), "window_backends_sdl_2");
  ASSERT_TRUE(shot);
  EXPECT_EQ(cell(4, 0, 0, 0), kYellow);
  EXPECT_EQ(cell(4, 0, cell_width - 1, cell_height - 1), kYellow);
  EXPECT_EQ(cell(0, 0, 0, 0), kRed);
  EXPECT_EQ(cell(1, 0, 0, 0), kGreen);
  EXPECT_GT(InkOfCell(*shot, ox, oy + 3 * cell_height, cell_width, cell_height).bright, 3) << "text kept";
  EXPECT_EQ(InkOfCell(*shot, ox + 20 * cell_width, oy + 5 * cell_height, cell_width, cell_height).bright, 0)
      << "caret hidden";
  EXPECT_EQ(shot->At(ox + 300, oy + 100), kMagenta);
  EXPECT_EQ(shot->At(ox + 329, oy + 114), kMagenta);
  EXPECT_NE(shot->At(ox + 330, oy + 114), kMagenta);

  // The slow scroll copies rows 2-25 up by one cell height.
  backend->SetPicture(nullptr, 0, 0);
  frame.ScrollUp();
  backend->Scrolled(frame.View(), true);
  backend->Pump();
  shot = Screenshot(server_->display(), "window_backends_sdl_3");
  ASSERT_TRUE(shot);
  EXPECT_EQ(cell(0, 0, 0, 0), kBlue);
  EXPECT_EQ(cell(0, 0, cell_width - 1, cell_height - 1), kBlue);
  EXPECT_EQ(cell(1, 0, 0, 0), kBlack);
  EXPECT_EQ(cell(0, 24, 0, 0), kBlack);
  EXPECT_GT(InkOfCell(*shot, ox, oy + 2 * cell_height, cell_width, cell_height).bright, 3) << "text moved up";
  EXPECT_EQ(InkOfCell(*shot, ox, oy + 3 * cell_height, 10 * cell_width, cell_height).bright, 0) << "old text row";
  EXPECT_NE(shot->At(ox + 300, oy + 100), kMagenta) << "picture removed";
}

// Real key presses and mouse buttons on the test's X server through the XTest
// extension, whose libraries are loaded at run time.
class FakeInput {
 public:
  explicit FakeInput(const std::string& display) {
    x11_ = dlopen("libX11.so.6", RTLD_NOW);
    xtst_ = dlopen("libXtst.so.6", RTLD_NOW);
    if (!x11_ || !xtst_) return;
    open_ = reinterpret_cast<OpenDisplay>(dlsym(x11_, "XOpenDisplay"));
    close_ = reinterpret_cast<CloseDisplay>(dlsym(x11_, "XCloseDisplay"));
    sync_ = reinterpret_cast<SyncDisplay>(dlsym(x11_, "XSync"));
    keycode_ = reinterpret_cast<KeysymToKeycode>(dlsym(x11_, "XKeysymToKeycode"));
    remap_ = reinterpret_cast<ChangeKeyboardMapping>(dlsym(x11_, "XChangeKeyboardMapping"));
    key_ = reinterpret_cast<FakeKey>(dlsym(xtst_, "XTestFakeKeyEvent"));
    button_ = reinterpret_cast<FakeButton>(dlsym(xtst_, "XTestFakeButtonEvent"));
    motion_ = reinterpret_cast<FakeMotion>(dlsym(xtst_, "XTestFakeMotionEvent"));
    // Xlib's default handler ends the process on a refused request; a
    // failing check is enough.
    auto set_error_handler = reinterpret_cast<SetErrorHandler>(dlsym(x11_, "XSetErrorHandler"));
    if (set_error_handler) set_error_handler([](void*, void*) { return 0; });
    if (open_ && close_ && sync_ && keycode_ && remap_ && key_ && button_ && motion_)
      display_ = open_(display.c_str());
  }
  ~FakeInput() {
    if (display_) close_(display_);
    if (xtst_) dlclose(xtst_);
    if (x11_) dlclose(x11_);
  }
  FakeInput(const FakeInput&) = delete;
  FakeInput& operator=(const FakeInput&) = delete;

  bool ok() const { return display_ != nullptr; }
  unsigned Keycode(unsigned long keysym) {
    return keysym == remapped_symbol_ ? remapped_code_ : keycode_(display_, keysym);
  }
  void Key(unsigned long keysym, bool press) { key_(display_, Keycode(keysym), press, 0); }
  void Button(unsigned button, bool press) { button_(display_, button, press, 0); }
  void MoveTo(int x, int y) { motion_(display_, -1, x, y, 0); }
  // Gives the key of `keysym` the symbols `lower` and `upper` instead; Key
  // then presses it for `lower`.
  void Remap(unsigned long keysym, unsigned long lower, unsigned long upper) {
    unsigned long symbols[2] = {lower, upper};
    remapped_code_ = Keycode(keysym);
    remapped_symbol_ = lower;
    remap_(display_, static_cast<int>(remapped_code_), 2, symbols, 1);
  }
  void Sync() { sync_(display_, 0); }

 private:
  using ErrorHandler = int (*)(void*, void*);
  using SetErrorHandler = ErrorHandler (*)(ErrorHandler);
  using OpenDisplay = void* (*)(const char*);
  using CloseDisplay = int (*)(void*);
  using SyncDisplay = int (*)(void*, int);
  using KeysymToKeycode = unsigned char (*)(void*, unsigned long);
  using ChangeKeyboardMapping = int (*)(void*, int, int, unsigned long*, int);
  using FakeKey = int (*)(void*, unsigned, int, unsigned long);
  using FakeButton = int (*)(void*, unsigned, int, unsigned long);
  using FakeMotion = int (*)(void*, int, int, int, unsigned long);
  void* x11_ = nullptr;
  void* xtst_ = nullptr;
  void* display_ = nullptr;
  OpenDisplay open_ = nullptr;
  CloseDisplay close_ = nullptr;
  SyncDisplay sync_ = nullptr;
  KeysymToKeycode keycode_ = nullptr;
  ChangeKeyboardMapping remap_ = nullptr;
  FakeKey key_ = nullptr;
  FakeButton button_ = nullptr;
  FakeMotion motion_ = nullptr;
  unsigned long remapped_symbol_ = 0;  // our own client's key map does not learn of the change
  unsigned remapped_code_ = 0;
};

// Events from the back end until (and without) the KeyUp of F12, which the
// caller presses after the keys it wants to see.
std::vector<Event> EventsUntilF12(window::Backend& backend) {
  std::vector<Event> events;
  for (int empty_waits = 0; empty_waits < 5;) {
    backend.Wait(1000);
    std::vector<Event> more = TakeAll();
    if (more.empty()) ++empty_waits;
    for (const Event& event : more) {
      if (event.type == EventType::KeyUp && event.key == Key::F12) return events;
      if (event.key == Key::F12 || event.type == EventType::MouseMove || event.type == EventType::FocusGained ||
          event.type == EventType::FocusLost)
        continue;
      events.push_back(event);
    }
  }
  events.push_back(Event{});  // a Wake marks that F12 never came
  return events;
}

struct SdlKeyCase {
  std::vector<unsigned long> modifiers;  // pressed first, released last
  unsigned long keysym;
  const char* presses;
};

// Draws a grid whose cell (0,0) is red, and finds it on the screen.
bool ShowAndLocate(window::Backend& backend, const std::string& display, int& x, int& y) {
  TestFrame frame;
  frame.attrs.fill(0x00);
  frame.Fill(0, 0, 1, 0x40);
  // A loaded machine may map the window late: look again for a while.
  for (int attempt = 0; attempt < 50; ++attempt) {
    backend.Draw(frame.View(), 0, window::kColumns, 0, window::kRows);
    backend.Pump();
    std::optional<Image> shot = Screenshot(display, "window_backends_sdl_locate");
    if (shot) {
      for (y = 0; y < shot->height; ++y)
        for (x = 0; x < shot->width; ++x)
          if (shot->At(x, y) == kRed) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

TEST_F(WindowBackendsSdl, KeysFromTheKeyboard) {
  FakeInput input(server_->display());
  if (!input.ok()) GTEST_SKIP() << "the XTest libraries are not installed";
  window::FontRequest request;
  request.width = 10;
  request.height = 20;
  std::unique_ptr<window::Backend> backend = window::kSdlBackend.create(request, window::ShowMode::Normal);
  ASSERT_NE(backend, nullptr);
  int ox = 0, oy = 0;
  ASSERT_TRUE(ShowAndLocate(*backend, server_->display(), ox, oy));
  input.MoveTo(ox + 100, oy + 100);  // with no window manager the keys go to the window under the pointer
  input.Remap(XK_grave, XK_ccedilla, XK_Ccedilla);
  input.Sync();
  const unsigned long shift = XK_Shift_L, ctrl = XK_Control_L, alt = XK_Alt_L;
  const SdlKeyCase cases[] = {
      {{}, XK_a, "Letter A =97"},
      {{shift}, XK_a, "Letter A+shift =65"},
      {{ctrl}, XK_a, "Letter A+ctrl =1"},
      {{ctrl, shift}, XK_z, "Letter Z+ctrl+shift =26"},
      {{}, XK_ccedilla, "Other =231"},  // typed text reaches us as Latin-1
      {{shift}, XK_ccedilla, "Other+shift =199"},
      {{}, XK_Return, "Enter =13"},
      {{ctrl}, XK_Return, "Enter+ctrl =13"},
      {{}, XK_BackSpace, "Backspace =8"},
      {{}, XK_Tab, "Tab =9"},
      {{shift}, XK_Tab, "Tab+shift =9"},
      {{}, XK_Escape, "Escape =27"},
      {{}, XK_space, "Space =32"},
      {{ctrl}, XK_space, "Space+ctrl =32"},
      {{}, XK_semicolon, "Other =59"},
      {{ctrl}, XK_bracketleft, "Other+ctrl =27"},
      {{alt}, XK_x, "Letter X+alt"},  // Alt with a key types nothing
      {{alt}, XK_5, "Digit 5+alt"},
      {{ctrl}, XK_1, "Digit 1+ctrl"},
      {{}, XK_F1, "F1"},
      {{ctrl}, XK_F10, "F10+ctrl"},
      {{shift}, XK_Insert, "Insert+shift"},
      {{}, XK_KP_Up, "Up"},  // the keypad without Num Lock
      {{alt}, XK_Left, "Left+alt"},
      {{}, XK_Pause, "Break"},
      {{ctrl}, XK_Pause, "Break+ctrl"},
  };
  platform::ClearEvents();
  for (const SdlKeyCase& c : cases) {
    for (unsigned long modifier : c.modifiers) input.Key(modifier, true);
    input.Key(c.keysym, true);
    input.Key(c.keysym, false);
    for (auto modifier = c.modifiers.rbegin(); modifier != c.modifiers.rend(); ++modifier) input.Key(*modifier, false);
    input.Key(XK_F12, true);
    input.Key(XK_F12, false);
    input.Sync();
    std::vector<Event> events = EventsUntilF12(*backend);
    // The modifier keys' own events come first (KeyDown) and last (KeyUp).
    size_t count = c.modifiers.size();
    if (events.size() >= 2 * count) events = std::vector<Event>(events.begin() + count, events.end() - count);
    EXPECT_EQ(DescribePresses(events), c.presses) << "keysym " << std::hex << c.keysym;
  }

  // Alt+F4 closes the window, as the close box does.
  input.Key(alt, true);
  input.Key(XK_F4, true);
  input.Key(XK_F4, false);
  input.Key(alt, false);
  input.Key(XK_F12, true);
  input.Key(XK_F12, false);
  input.Sync();
  std::vector<Event> events = EventsUntilF12(*backend);
  EXPECT_TRUE(std::any_of(events.begin(), events.end(), [](const Event& e) { return e.type == EventType::Close; }));
}

TEST_F(WindowBackendsSdl, MagnifierZoomsAtThePointer) {
  FakeInput input(server_->display());
  if (!input.ok()) GTEST_SKIP() << "the XTest libraries are not installed";
  window::FontRequest request;
  request.width = 10;
  request.height = 20;
  std::unique_ptr<window::Backend> backend = window::kSdlBackend.create(request, window::ShowMode::Normal);
  ASSERT_NE(backend, nullptr);
  int ox = 0, oy = 0;
  ASSERT_TRUE(ShowAndLocate(*backend, server_->display(), ox, oy));
  // Red (0,0) and blue (40,12): the window is 800 x 500, (40,12) covers
  // pixels 400-409 x 240-259.
  TestFrame frame;
  frame.attrs.fill(0x00);
  frame.Fill(0, 0, 1, 0x40);
  frame.Fill(40, 12, 1, 0x10);
  backend->Draw(frame.View(), 0, window::kColumns, 0, window::kRows);
  backend->SetMagnifier(2);
  platform::ClearEvents();

  // Pressed at the top-left corner: the top-left quarter, twice as large.
  input.MoveTo(ox, oy);
  input.Button(3, true);
  input.Key(XK_F12, true);
  input.Key(XK_F12, false);
  input.Sync();
  std::vector<Event> events = EventsUntilF12(*backend);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().type, EventType::MouseRightDown);
  std::optional<Image> shot = Screenshot(server_->display(), "window_backends_sdl_zoom_corner");
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->At(ox + 19, oy + 39), kRed);
  EXPECT_EQ(shot->At(ox + 20, oy + 39), kBlack);
  EXPECT_EQ(shot->At(ox + 19, oy + 40), kBlack);

  // Moved to the blue cell at (405, 250): the source starts at
  // (405 - 202, 250 - 125) and the point under the pointer stays put, so the
  // cell shows as pixels 394-413 x 230-269.
  input.MoveTo(ox + 405, oy + 250);
  input.Key(XK_F12, true);
  input.Key(XK_F12, false);
  input.Sync();
  EventsUntilF12(*backend);
  shot = Screenshot(server_->display(), "window_backends_sdl_zoom_middle");
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->At(ox + 405, oy + 250), kBlue);
  EXPECT_EQ(shot->At(ox + 394, oy + 230), kBlue);
  EXPECT_EQ(shot->At(ox + 413, oy + 269), kBlue);
  EXPECT_EQ(shot->At(ox + 393, oy + 250), kBlack);
  EXPECT_EQ(shot->At(ox + 414, oy + 250), kBlack);
  EXPECT_EQ(shot->At(ox + 405, oy + 270), kBlack);
  EXPECT_EQ(shot->At(ox, oy), kBlack) << "the red cell is out of view";

  // Released: the normal view again.
  input.Button(3, false);
  input.Key(XK_F12, true);
  input.Key(XK_F12, false);
  input.Sync();
  events = EventsUntilF12(*backend);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().type, EventType::MouseRightUp);
  EXPECT_EQ(events.back().x, 405);
  EXPECT_EQ(events.back().y, 250);
  shot = Screenshot(server_->display(), "window_backends_sdl_zoom_released");
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->At(ox, oy), kRed);
  EXPECT_EQ(shot->At(ox + 400, oy + 240), kBlue);
  EXPECT_EQ(shot->At(ox + 394, oy + 240), kBlack);
  EXPECT_EQ(shot->At(ox + 410, oy + 250), kBlack);
}

TEST_F(WindowBackendsSdl, DefaultCellSizeFollowsTheWorkArea) {
  std::unique_ptr<window::Backend> backend = window::kSdlBackend.create({}, window::ShowMode::Normal);
  ASSERT_NE(backend, nullptr);
  int cell_width = 0, cell_height = 0;
  backend->CellSize(cell_width, cell_height);
  // 1024 rows of screen: round(1024 * 28 / 734) = 39; 1280 columns: at most
  // round(1280 * 13 / 1024) = 16 wide, so 80 columns fit.
  EXPECT_EQ(cell_height, 39);
  EXPECT_GT(cell_width, 5);
  EXPECT_LE(cell_width, 16);
}

TEST_F(WindowBackendsSdl, ClipboardCarriesLatin1AndLineEnds) {
  std::unique_ptr<window::Backend> backend = window::kSdlBackend.create({}, window::ShowMode::Normal);
  ASSERT_NE(backend, nullptr);
  const std::string text = "Ol\xe1 \x80\r\n\xe7\xe0";
  backend->SetClipboard(text);
  EXPECT_EQ(backend->Clipboard(), text);
}

TEST_F(WindowBackendsSdl, NoDisplayNoWindow) {
  ScopedVariable no_display("DISPLAY", nullptr);
  ScopedVariable no_driver("SDL_VIDEODRIVER", nullptr);
  EXPECT_EQ(window::kSdlBackend.create({}, window::ShowMode::Normal), nullptr);
}

// The whole console (not only the back end) in a window on the test's X
// server, with the given audio output; a red cell marks the grid's corner.
class ConsoleInWindow {
 public:
  explicit ConsoleInWindow(const std::string& audio)
      : folder_(std::filesystem::temp_directory_path() / ("tessel-window-" + std::to_string(getpid()))) {
    std::filesystem::create_directories(folder_);
    std::FILE* ini = std::fopen((folder_ / "MIRANE.INI").c_str(), "wb");
    if (ini) {
      std::fputs("[VIDEO]\r\nLARGURALETRA=10\r\nALTURALETRA=20\r\nCANTOTELA=S\r\n", ini);
      std::fclose(ini);
    }
    windir_.emplace("MIRANE_WINDIR", folder_.c_str());
    console_.emplace("TESSEL_CONSOLE", "window");
    audio_.emplace("TESSEL_AUDIO", audio.c_str());
    keys_.emplace("TESSEL_KEYS", nullptr);
    platform::audio::Shutdown();
    platform::ClockInit(platform::TimeMode::Real);
    console::ResetForTests();
    console::TextBackground(4);
    console::ConsoleWrite(" ");
    console::TextBackground(0);
  }
  ~ConsoleInWindow() {
    console::ResetForTests();
    platform::audio::Shutdown();
    platform::ClockInit(platform::TimeMode::Virtual);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  std::optional<ScopedVariable> windir_, console_, audio_, keys_;
};

// The console in the window: the caret shows at the cursor's cell from the
// moment ReadKey starts waiting and goes when the key came; BEL is heard.
TEST_F(WindowBackendsSdl, ConsoleCaretWhileAKeyIsAwaitedAndBelSounds) {
  std::string capture = (std::filesystem::temp_directory_path() /
                         ("tessel-bel-" + std::to_string(getpid()) + ".wav")).string();
  std::optional<ConsoleInWindow> window;
  window.emplace("wav:" + capture);

  // The cursor waits at column 3, row 2.
  console::ConsoleWrite("\a");
  console::GotoXY(3, 2);
  int cell_width = 0, cell_height = 0;
  console::ActiveBackend()->CellSize(cell_width, cell_height);

  // While the program waits in ReadKey, another thread looks at the screen,
  // then types the key that ends the wait.
  CellInk waiting{};
  bool located = false;
  std::string display = server_->display();
  std::thread looker([&] {
    for (int attempt = 0; attempt < 50 && waiting.full_rows == 0; ++attempt) {
      std::optional<Image> shot = Screenshot(display, "console_caret_waiting");
      int ox = 0, oy = 0;
      if (shot && FindOrigin(*shot, ox, oy)) {
        located = true;
        waiting = InkOfCell(*shot, ox + 2 * cell_width, oy + cell_height, cell_width, cell_height);
      }
      if (waiting.full_rows == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    Event key;
    key.type = EventType::Char;
    key.character = 'k';
    platform::PostEvent(key);
  });
  uint8_t read = console::ReadKey();
  looker.join();
  EXPECT_EQ(read, 'k');
  ASSERT_TRUE(located) << "the console window was not found on the screen";
  // The caret: a bar as wide as the cell, two pixels high, nothing else.
  EXPECT_EQ(waiting.full_rows, 2);
  EXPECT_EQ(waiting.bright, 2 * cell_width);

  std::optional<Image> after = Screenshot(display, "console_caret_after");
  ASSERT_TRUE(after);
  int ox = 0, oy = 0;
  ASSERT_TRUE(FindOrigin(*after, ox, oy));
  EXPECT_EQ(InkOfCell(*after, ox + 2 * cell_width, oy + cell_height, cell_width, cell_height).bright, 0)
      << "the caret stays after the key came";

  window.reset();  // finishes the capture file
  // The capture: 16-bit mono at 22050 Hz after a 44-byte header; the beep is
  // a loud square wave of some 150 ms.
  std::FILE* file = std::fopen(capture.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::vector<uint8_t> bytes;
  uint8_t buffer[4096];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + count);
  std::fclose(file);
  ASSERT_GT(bytes.size(), 44u);
  int loud = 0;
  for (size_t i = 44; i + 1 < bytes.size(); i += 2) {
    int16_t sample = static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (sample > 4000 || sample < -4000) ++loud;
  }
  double loud_ms = loud * 1000.0 / 22050;
  EXPECT_GT(loud_ms, 100) << "BEL made no sound";
  EXPECT_LT(loud_ms, 300);
  std::filesystem::remove(capture);
}

// LE MOUSE in the window: the pointer relative to the console window, or on
// the screen with TELA.
TEST_F(WindowBackendsSdl, ConsoleMousePositionForLe) {
  FakeInput input(server_->display());
  if (!input.ok()) GTEST_SKIP() << "the XTest libraries are not installed";
  ConsoleInWindow window("null");
  int ox = 0, oy = 0;
  bool located = false;
  for (int attempt = 0; attempt < 50 && !located; ++attempt) {
    console::PumpMessages();
    std::optional<Image> shot = Screenshot(server_->display(), "console_mouse");
    located = shot && FindOrigin(*shot, ox, oy);
    if (!located) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(located);
  input.MoveTo(ox + 37, oy + 21);
  input.Sync();
  ASSERT_TRUE(interp::CmdLe("MOUSE X Y"));
  EXPECT_EQ(interp::Variable('X'), "37");
  EXPECT_EQ(interp::Variable('Y'), "21");
  ASSERT_TRUE(interp::CmdLe("RATO TELA X Y"));
  EXPECT_EQ(interp::Variable('X'), std::to_string(ox + 37));
  EXPECT_EQ(interp::Variable('Y'), std::to_string(oy + 21));
  EXPECT_FALSE(interp::CmdLe("MOUSE X")) << "Y missing";
  EXPECT_EQ(interp::Variable('X'), "37") << "X is stored even so";
}

}  // namespace
