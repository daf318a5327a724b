// The terminal console: the 80x25 grid on the alternate screen of an ANSI
// text terminal, keys read raw from standard input.
//
// The terminal is put in raw mode for as long as the back end lives, and put
// back as it was on every way out: the destructor, Shutdown, the program's
// exit handlers, and the signals that end or stop the program (the handlers
// restore the terminal, then deliver the signal again to whatever handled it
// before). Keys are parsed by terminal_keys; a lone ESC is the Escape key
// once 30 ms pass without another byte. When the program ends, the last
// screen's rows that hold text are written again on the normal screen, so
// the last messages stay in the terminal's scrollback.
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/clock.h"
#include "platform/events.h"
#include "platform/lifecycle.h"
#include "platform/terminal_keys.h"
#include "platform/terminal_screen.h"
#include "platform/window.h"

namespace platform::window {
namespace {

using SteadyClock = std::chrono::steady_clock;

// How long a lone ESC (or a cut-off sequence) waits for the rest.
constexpr int64_t kEscapeTimeoutMs = 30;
// Longest single sleep of Wait, so events posted by other threads are seen.
constexpr int64_t kWaitSliceMs = 10;

// Switches: alternate screen, save the title, no autowrap, cursor hidden,
// underline cursor (our caret is a bar at the baseline), clear.
const char kEnterSequence[] = "\x1b[?1049h\x1b[22;0t\x1b[?7l\x1b[?25l\x1b[3 q\x1b[0m\x1b[2J";
const char kLeaveSequence[] = "\x1b[0m\x1b[0 q\x1b[?25h\x1b[?7h\x1b[?1049l\x1b[23;0t";

// --- terminal state shared with the signal handlers ---------------------------
// Signal handlers may run at any moment, so this is plain data and the
// functions that touch it use only async-signal-safe calls.

termios g_original;                    // the terminal as we found it
termios g_raw;                         // our raw mode
volatile sig_atomic_t g_raw_active = 0;  // 1 while the terminal is in our mode
volatile sig_atomic_t g_stopped = 0;     // stopped by SIGTSTP in our mode
volatile sig_atomic_t g_resized = 0;     // SIGWINCH or SIGCONT: repaint everything
bool g_backend_alive = false;          // one terminal back end at a time
// While our screen is up, standard error (ours and the libraries', such as
// the sound system's complaints) goes to a hidden file instead of over the
// grid; it is shown on the real standard error once the terminal is back.
volatile sig_atomic_t g_saved_stderr = -1;  // the real standard error
volatile sig_atomic_t g_held_stderr = -1;   // the hidden file

// Signals after which the terminal must be restored before the program ends.
const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kEndingSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];
struct sigaction g_previous_ending[kEndingSignalCount];
bool g_installed_ending[kEndingSignalCount];
struct sigaction g_previous_stop, g_previous_continue, g_previous_resize;

// Writes all of `data`; safe in a signal handler.
void WriteAll(const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(STDOUT_FILENO, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        pollfd out{STDOUT_FILENO, POLLOUT, 0};
        poll(&out, 1, 100);
        continue;
      }
      return;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
}

// Sends standard error to a hidden file while our screen is up.
void HoldStandardError() {
  if (g_saved_stderr >= 0 || !isatty(STDERR_FILENO)) return;
  char name[] = "/tmp/tessel-stderr-XXXXXX";
  int held = mkstemp(name);
  if (held < 0) return;
  unlink(name);
  int saved = dup(STDERR_FILENO);
  if (saved < 0 || dup2(held, STDERR_FILENO) < 0) {
    if (saved >= 0) close(saved);
    close(held);
    return;
  }
  g_saved_stderr = saved;
  g_held_stderr = held;
}

// Gives standard error back and shows what was held; safe in a signal
// handler.
void ReleaseStandardError() {
  if (g_saved_stderr < 0) return;
  dup2(g_saved_stderr, STDERR_FILENO);
  close(g_saved_stderr);
  g_saved_stderr = -1;
  if (lseek(g_held_stderr, 0, SEEK_SET) == 0) {
    char buffer[4096];
    ssize_t got;
    while ((got = read(g_held_stderr, buffer, sizeof buffer)) > 0)
      if (write(STDERR_FILENO, buffer, static_cast<size_t>(got)) < 0) break;
  }
  close(g_held_stderr);
  g_held_stderr = -1;
}

// Puts the terminal back as we found it; safe in a signal handler.
void RestoreTerminal() {
  if (!g_raw_active) return;
  g_raw_active = 0;
  WriteAll(kLeaveSequence, sizeof kLeaveSequence - 1);
  tcsetattr(STDIN_FILENO, TCSANOW, &g_original);
  ReleaseStandardError();
}

// Enters our mode again (after a stop); safe in a signal handler.
void ReenterRaw() {
  if (g_raw_active) return;
  tcsetattr(STDIN_FILENO, TCSANOW, &g_raw);
  WriteAll(kEnterSequence, sizeof kEnterSequence - 1);
  g_raw_active = 1;
}

// SIGINT, SIGTERM, SIGSEGV ...: restore the terminal, then let the signal
// take its course.
void OnEndingSignal(int signal_number) {
  int saved_errno = errno;
  RestoreTerminal();
  // Deliver the signal again, on return, to whatever handled it before us.
  for (int i = 0; i < kEndingSignalCount; ++i)
    if (kEndingSignals[i] == signal_number) sigaction(signal_number, &g_previous_ending[i], nullptr);
  raise(signal_number);
  errno = saved_errno;
}

// SIGTSTP: the terminal as we found it while the program is stopped.
void OnStop(int) {
  int saved_errno = errno;
  if (g_raw_active) {
    RestoreTerminal();
    g_stopped = 1;
  }
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  sigaction(SIGTSTP, &default_action, nullptr);
  raise(SIGTSTP);  // stops the program once this handler returns
  errno = saved_errno;
}

// SIGCONT: our mode again, and a full repaint.
void OnContinue(int) {
  int saved_errno = errno;
  if (g_stopped) {
    g_stopped = 0;
    ReenterRaw();
    g_resized = 1;
  }
  struct sigaction stop {};
  stop.sa_handler = OnStop;
  sigemptyset(&stop.sa_mask);
  sigaction(SIGTSTP, &stop, nullptr);
  errno = saved_errno;
}

// SIGWINCH: the terminal's size changed.
void OnResize(int) { g_resized = 1; }

// Installs the handlers above, remembering what was there before.
void InstallSignalHandlers() {
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  action.sa_handler = OnEndingSignal;
  for (int i = 0; i < kEndingSignalCount; ++i) {
    sigaction(kEndingSignals[i], nullptr, &g_previous_ending[i]);
    // A signal the program ignores (nohup) stays ignored.
    g_installed_ending[i] = g_previous_ending[i].sa_handler != SIG_IGN;
    if (g_installed_ending[i]) sigaction(kEndingSignals[i], &action, nullptr);
  }
  action.sa_handler = OnStop;
  sigaction(SIGTSTP, &action, &g_previous_stop);
  action.sa_handler = OnContinue;
  sigaction(SIGCONT, &action, &g_previous_continue);
  action.sa_handler = OnResize;
  action.sa_flags = SA_RESTART;
  sigaction(SIGWINCH, &action, &g_previous_resize);
}

// Puts back the handlers that were there before.
void RemoveSignalHandlers() {
  for (int i = 0; i < kEndingSignalCount; ++i)
    if (g_installed_ending[i]) sigaction(kEndingSignals[i], &g_previous_ending[i], nullptr);
  sigaction(SIGTSTP, &g_previous_stop, nullptr);
  sigaction(SIGCONT, &g_previous_continue, nullptr);
  sigaction(SIGWINCH, &g_previous_resize, nullptr);
}

// For std::atexit, which takes a plain function.
void RestoreAtProcessExit() { RestoreTerminal(); }

// Registers the exit handlers once per process; they do nothing when the
// terminal is not in our mode.
void RegisterExitHandlers() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  AtExit([] { RestoreTerminal(); });
  std::atexit(RestoreAtProcessExit);
}

// Real milliseconds since `start`.
int64_t MillisecondsSince(SteadyClock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

class TerminalBackend final : public Backend {
 public:
  TerminalBackend() {
    g_backend_alive = true;
    ReadSize();
  }

  ~TerminalBackend() override {
    RestoreTerminal();
    RemoveSignalHandlers();
    g_backend_alive = false;
  }

  TerminalBackend(const TerminalBackend&) = delete;
  TerminalBackend& operator=(const TerminalBackend&) = delete;

  const char* Name() const override { return "terminal"; }

  void Draw(const Frame& frame, int column_from, int column_to, int row_from, int row_to) override {
    if (!g_raw_active) return;
    if (frame.chars) {
      last_screen_.assign(reinterpret_cast<const char*>(frame.chars), kColumns * kRows);
    }
    // A terminal with fewer than 25 rows shows the part of the grid that
    // holds the cursor's row.
    int first_row = first_row_;
    if (rows_ >= kRows) first_row = 0;
    else if (frame.cursor_row < first_row) first_row = frame.cursor_row;
    else if (frame.cursor_row >= first_row + rows_) first_row = frame.cursor_row - rows_ + 1;
    if (first_row != first_row_) {
      first_row_ = first_row;
      column_from = 0;
      column_to = kColumns;
      row_from = 0;
      row_to = kRows;
    }
    std::string bytes =
        terminal::PaintCells(frame, column_from, column_to, row_from, row_to, columns_, rows_, first_row_);
    WriteAll(bytes.data(), bytes.size());
  }

  void Pump() override { PumpInput(); }

  void Wait(int64_t timeout_ms) override {
    SteadyClock::time_point start = SteadyClock::now();
    for (;;) {
      if (PumpInput() > 0 || EventsPending()) return;
      int64_t slice = kWaitSliceMs;
      if (timeout_ms >= 0) {
        int64_t left = timeout_ms - MillisecondsSince(start);
        if (left <= 0) return;
        slice = std::min(slice, left);
      }
      int64_t timed = NextTimedEventMs();
      if (timed >= 0) {
        int64_t until = timed - NowMs();
        if (until <= 0) return;
        slice = std::min(slice, until);
      }
      if (!pending_.empty())
        slice = std::clamp<int64_t>(kEscapeTimeoutMs - MillisecondsSince(last_input_), 1, slice);
      pollfd input{STDIN_FILENO, POLLIN, 0};
      if (hung_up_) {
        WaitPosted(slice);
      } else if (poll(&input, 1, static_cast<int>(slice)) > 0 && (input.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        // The terminal is gone: no key can come any more, so the console
        // closes as if its window were closed.
        hung_up_ = true;
        Event close;
        close.type = EventType::Close;
        PostEvent(close);
        return;
      }
    }
  }

  void SetTitle(const std::string& latin1) override {
    if (!g_raw_active) return;
    std::string bytes = terminal::TitleSequence(latin1);
    WriteAll(bytes.data(), bytes.size());
  }

  void SetClipboard(const std::string& latin1) override { clipboard_ = latin1; }
  std::string Clipboard() override { return clipboard_; }

  void Shutdown() override {
    RestoreTerminal();
    // The screen's text, once, after the terminal is back as it was.
    std::string text;
    for (int row = 0; row * kColumns < static_cast<int>(last_screen_.size()); ++row) {
      std::string line;
      for (int column = 0; column < kColumns; ++column)
        line += terminal::CellText(static_cast<unsigned char>(last_screen_[row * kColumns + column]));
      size_t end = line.find_last_not_of(' ');
      if (end == std::string::npos) continue;
      line.resize(end + 1);
      text += line + "\n";
    }
    last_screen_.clear();
    WriteAll(text.data(), text.size());
  }

  bool ReportsKeyReleases() const override { return false; }

  std::string TakeNotice() override {
    if (small_said_ || (columns_ >= kColumns && rows_ >= kRows)) return {};
    small_said_ = true;
    return "O terminal \xE9 menor que 80x25";
  }

 private:
  // Reads the terminal's size in characters.
  void ReadSize() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0) {
      columns_ = size.ws_col;
      rows_ = size.ws_row;
    }
  }

  // Reads what the terminal sent, posts the keys; returns how many events
  // were posted.
  int PumpInput() {
    int posted = 0;
    if (g_resized) {
      g_resized = 0;
      ReadSize();
      if (g_raw_active) WriteAll("\x1b[0m\x1b[2J", 8);
      Event expose;
      expose.type = EventType::Expose;
      PostEvent(expose);
      ++posted;
    }
    if (!g_raw_active) return posted;
    char buffer[512];
    for (;;) {
      ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) break;
      pending_.append(buffer, static_cast<size_t>(count));
      last_input_ = SteadyClock::now();
    }
    if (pending_.empty()) return posted;
    bool complete = MillisecondsSince(last_input_) >= kEscapeTimeoutMs;
    terminal::ParsedKeys parsed = terminal::ParseTerminalKeys(pending_, complete);
    pending_.erase(0, parsed.consumed);
    for (const Event& event : parsed.events) PostEvent(event);
    return posted + static_cast<int>(parsed.events.size());
  }

  int columns_ = kColumns;
  int rows_ = kRows;
  int first_row_ = 0;        // the grid row on the terminal's first row
  bool small_said_ = false;  // the user heard that the terminal is too small
  std::string pending_;  // input bytes not parsed yet (a sequence cut off)
  bool hung_up_ = false;  // standard input reported a hang-up
  SteadyClock::time_point last_input_ = SteadyClock::now();
  std::string clipboard_;  // the terminal has no clipboard we can reach: this one lives in the process
  std::string last_screen_;  // the grid's characters as last painted
};

// The terminal back end, or null when standard input or output is not a
// terminal (or one is already in use).
std::unique_ptr<Backend> CreateTerminal(const FontRequest&, ShowMode) {
  if (g_backend_alive || !isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) return nullptr;
  const char* term = std::getenv("TERM");
  if (term && std::strcmp(term, "dumb") == 0) return nullptr;
  if (tcgetattr(STDIN_FILENO, &g_original) != 0) return nullptr;
  g_raw = g_original;
  cfmakeraw(&g_raw);
  g_raw.c_cc[VMIN] = 0;  // reads return at once; Wait polls
  g_raw.c_cc[VTIME] = 0;
  RegisterExitHandlers();
  InstallSignalHandlers();
  if (tcsetattr(STDIN_FILENO, TCSANOW, &g_raw) != 0) {
    RemoveSignalHandlers();
    return nullptr;
  }
  WriteAll(kEnterSequence, sizeof kEnterSequence - 1);
  g_raw_active = 1;
  HoldStandardError();
  return std::make_unique<TerminalBackend>();
}

}  // namespace

const BackendDescriptor kTerminalBackend = {
    "terminal", "ANSI colours and raw keys on a text terminal", CreateTerminal};

}  // namespace platform::window
