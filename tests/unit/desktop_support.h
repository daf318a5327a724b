// A desktop of the test's own for the automation tests: an Xvfb server, the
// openbox window manager, the GTK test program (tests/desktop_probe) and runs
// of the real tessel binary against them. Every process started here ends
// with the object that started it.
#pragma once
// Before the X headers: their macros (None, KeyPress ...) would clash.
#include "test_support.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace desktop_support {

using Clock = std::chrono::steady_clock;

inline bool Installed(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Polls `ready` every 20 ms until it holds or `limit` passes.
inline bool WaitUntil(const std::function<bool()>& ready, std::chrono::milliseconds limit) {
  auto deadline = Clock::now() + limit;
  for (;;) {
    if (ready()) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// A child process with its standard input and output on pipes.
class Process {
 public:
  Process(const std::vector<std::string>& argv, const std::vector<std::string>& extra_environment) {
    int input[2], output[2];
    if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) return;
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) environment.push_back(*entry);
    for (const std::string& entry : extra_environment) environment.push_back(entry);
    std::vector<char*> args, envs;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    for (const std::string& entry : environment) envs.push_back(const_cast<char*>(entry.c_str()));
    envs.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&pid_, argv[0].c_str(), &actions, nullptr, args.data(), envs.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    close(output[1]);
    in_ = input[1];
    out_ = output[0];
  }
  ~Process() {
    if (in_ >= 0) close(in_);
    // Most of ours end when their input ends; the rest are stopped.
    WaitUntil([this] { return Ended(); }, std::chrono::milliseconds(2000));
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Started() const { return pid_ > 0; }
  int pid() const { return pid_; }
  void Send(const std::string& line) {
    std::string text = line + "\n";
    if (write(in_, text.data(), text.size()) < 0) return;
  }
  // Waits for a line of output for which `wanted` holds (lines before it are
  // kept in lines()); false when none came within `limit`.
  bool WaitLine(const std::function<bool(const std::string&)>& wanted, std::chrono::milliseconds limit,
                std::string* found = nullptr) {
    auto deadline = Clock::now() + limit;
    for (;;) {
      while (checked_ < lines_.size()) {
        const std::string& line = lines_[checked_++];
        if (wanted(line)) {
          if (found) *found = line;
          return true;
        }
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return false;
      pollfd ready{out_, POLLIN, 0};
      if (poll(&ready, 1, static_cast<int>(left)) <= 0) return false;
      char buffer[4096];
      ssize_t got = read(out_, buffer, sizeof buffer);
      if (got <= 0) return false;
      partial_.append(buffer, static_cast<size_t>(got));
      size_t end;
      while ((end = partial_.find('\n')) != std::string::npos) {
        lines_.push_back(partial_.substr(0, end));
        partial_.erase(0, end + 1);
      }
    }
  }
  bool WaitLine(const std::string& exact, std::chrono::milliseconds limit) {
    return WaitLine([&exact](const std::string& line) { return line == exact; }, limit);
  }
  const std::vector<std::string>& lines() const { return lines_; }
  // True once the process has ended (it is reaped then).
  bool Ended() {
    if (pid_ <= 0) return true;
    pid_t result = waitpid(pid_, nullptr, WNOHANG);
    if (result == pid_ || result < 0) {
      pid_ = -1;
      return true;
    }
    return false;
  }

 private:
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  std::string partial_;
  std::vector<std::string> lines_;
  size_t checked_ = 0;
};

// Xvfb on a display number it picks itself, openbox on it, and the keyboard
// layout asked for.
class Desktop {
 public:
  // `with_bus`: a private session bus too (dbus-run-session), on which the
  // accessibility bus of at-spi2-core starts when first asked for.
  explicit Desktop(const char* layout = "br", bool with_bus = false) {
    int report[2];
    if (pipe(report) != 0) return;
    xvfb_ = fork();
    if (xvfb_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      close(report[0]);
      int null_output = open("/dev/null", O_WRONLY);
      dup2(null_output, STDOUT_FILENO);
      dup2(null_output, STDERR_FILENO);
      std::string descriptor = std::to_string(report[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", descriptor.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
             "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(report[1]);
    std::string number;
    char c;
    for (;;) {
      pollfd ready{report[0], POLLIN, 0};
      if (poll(&ready, 1, 20000) <= 0 || read(report[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    close(report[0]);
    if (number.empty()) return;
    display_name_ = ":" + number;
    display_ = XOpenDisplay(display_name_.c_str());
    if (!display_) return;
    if (layout && Installed("setxkbmap")) {
      std::string command = "setxkbmap -display " + display_name_ + " " + layout + " >/dev/null 2>&1";
      layout_set_ = std::system(command.c_str()) == 0;
    }
    if (with_bus) {
      bus_ = std::make_unique<Process>(
          std::vector<std::string>{"dbus-run-session", "--", "sh", "-c", "echo \"$DBUS_SESSION_BUS_ADDRESS\"; exec cat"},
          std::vector<std::string>{"DISPLAY=" + display_name_});
      std::string address;
      if (!bus_->WaitLine([](const std::string&) { return true; }, std::chrono::seconds(10), &address)) return;
      bus_address_ = address;
    }
    window_manager_ = std::make_unique<Process>(std::vector<std::string>{"openbox", "--sm-disable"}, Environment());
    // The window manager is there once it names itself on the root window.
    ready_ = WaitUntil([this] { return !RootWindows("_NET_SUPPORTING_WM_CHECK").empty(); },
                       std::chrono::seconds(10));
  }
  ~Desktop() {
    window_manager_.reset();
    bus_.reset();
    if (display_) XCloseDisplay(display_);
    if (xvfb_ > 0) {
      kill(xvfb_, SIGTERM);
      waitpid(xvfb_, nullptr, 0);
    }
  }
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  bool ready() const { return ready_; }
  bool layout_set() const { return layout_set_; }
  const std::string& display_name() const { return display_name_; }
  Display* display() const { return display_; }

  // DISPLAY for programs started on this desktop; leak checking off, as the
  // X libraries keep what they allocate until the program ends.
  std::vector<std::string> Environment() const {
    if (!bus_address_.empty())
      return {"DISPLAY=" + display_name_, "ASAN_OPTIONS=detect_leaks=0", "DBUS_SESSION_BUS_ADDRESS=" + bus_address_};
    return {"DISPLAY=" + display_name_, "ASAN_OPTIONS=detect_leaks=0", "NO_AT_BRIDGE=1", "GTK_A11Y=none"};
  }

  // A window property of 32-bit items.
  std::vector<unsigned long> Property(unsigned long window, const char* name) const {
    std::vector<unsigned long> items;
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window, XInternAtom(display_, name, False), 0, 1024, False, AnyPropertyType,
                           &actual, &format, &count, &after, &data) == Success &&
        data) {
      if (format == 32) {
        auto* values = reinterpret_cast<unsigned long*>(data);
        items.assign(values, values + count);
      }
      XFree(data);
    }
    return items;
  }
  std::vector<unsigned long> RootWindows(const char* name) const {
    return Property(DefaultRootWindow(display_), name);
  }
  // The managed window titled exactly `title` (UTF-8), or 0.
  unsigned long WindowTitled(const std::string& title) const {
    Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    for (unsigned long window : RootWindows("_NET_CLIENT_LIST")) {
      Atom actual = 0;
      int format = 0;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      std::string name;
      if (XGetWindowProperty(display_, window, XInternAtom(display_, "_NET_WM_NAME", False), 0, 1024, False, utf8,
                             &actual, &format, &count, &after, &data) == Success &&
          data) {
        name.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
      }
      if (name == title) return window;
    }
    return 0;
  }
  bool HasState(unsigned long window, const char* state) const {
    Atom wanted = XInternAtom(display_, state, False);
    for (unsigned long atom : Property(window, "_NET_WM_STATE"))
      if (atom == wanted) return true;
    return false;
  }

 private:
  pid_t xvfb_ = -1;
  std::string display_name_;
  Display* display_ = nullptr;
  std::unique_ptr<Process> window_manager_;
  std::unique_ptr<Process> bus_;
  std::string bus_address_;
  bool ready_ = false;
  bool layout_set_ = false;
};

// What a run of tessel left.
struct Run {
  int exit_code = -1;
  std::string screen;  // the 25 rows, UTF-8
};

// Runs `script` (UTF-8) through the real tessel binary in headless mode on
// the desktop; `ini` lines go into its MIRANE.INI.
inline Run RunTessel(const Desktop& desktop, const std::string& script, const std::string& ini = "",
                     const std::string& keys = "{Enter}", std::chrono::seconds limit = std::chrono::seconds(30)) {
  test_support::TempFolder folder;
  folder.Write("script.cmd", script);
  folder.Write("MIRANE.INI", ini);
  folder.Write("keys.txt", keys);
  std::vector<std::string> environment = desktop.Environment();
  std::string base = folder.path().string();
  environment.push_back("TESSEL_CONSOLE=headless");
  environment.push_back("TESSEL_AUDIO=null");
  environment.push_back("TESSEL_KEYS=" + base + "/keys.txt");
  environment.push_back("TESSEL_SCREEN=" + base + "/screen.txt");
  environment.push_back("MIRANE_WINDIR=" + base);
  Run run;
  Process tessel({TESSEL_BINARY, base + "/script.cmd"}, environment);
  if (!tessel.Started()) return run;
  auto deadline = Clock::now() + limit;
  int status = 0;
  while (waitpid(tessel.pid(), &status, WNOHANG) == 0) {
    if (Clock::now() >= deadline) return run;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.screen = folder.Read("screen.txt");
  // Reaped above: the destructor must not wait for it again.
  tessel.Ended();
  return run;
}

}  // namespace desktop_support
