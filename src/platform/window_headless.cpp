// The headless console: the grid lives in the console module's memory, the
// clock is virtual, and keys come from the key script (TESSEL_KEYS).
//
// Key release: a key is released when the program waits for a key with an
// empty queue, one action at a time. A key preceded by "{wait N}" is instead
// released N ms of program time after the previous release (or after start),
// whether or not the program is waiting, so it can interrupt a sound.
//
// Without TESSEL_SCREEN, the rows the program writes go to standard output
// as each is completed (and the cursor's row at exit, when it holds text),
// so a batch job's output can be kept: tessel job.cmd > out.txt.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/keyscript.h"
#include "platform/text.h"
#include "platform/window.h"

namespace platform::window {
namespace {

class HeadlessBackend final : public Backend {
 public:
  explicit HeadlessBackend(std::vector<KeyAction> actions) : actions_(std::move(actions)) {
    ScheduleTimedKey();
  }

  const char* Name() const override { return "headless"; }
  void Draw(const Frame& frame, int, int, int, int) override { last_frame_ = frame; }

  void RowCompleted(const Frame& frame, int row) override {
    last_frame_ = frame;
    if (rows_to_output_) PrintRow(frame, row);
  }

  void Shutdown() override {
    const Frame& frame = last_frame_;
    if (!rows_to_output_ || !frame.chars || frame.cursor_column == 0) return;
    PrintRow(frame, frame.cursor_row);
  }

  void Pump() override {
    while (due_ms_ >= 0 && NowMs() >= due_ms_) ReleaseTimedKey();
  }

  void Wait(int64_t timeout_ms) override {
    if (EventsPending()) return;
    int64_t now = NowMs();
    int64_t target = timeout_ms >= 0 ? now + timeout_ms : -1;
    int64_t timed = NextTimedEventMs();
    if (timed >= 0 && (target < 0 || timed < target)) target = timed;
    if (due_ms_ >= 0 && (target < 0 || due_ms_ < target)) target = due_ms_;
    // Nothing will ever happen: let a little time pass so loops that poll
    // still see the clock move.
    if (target < 0) target = now + 10;
    if (ClockMode() == TimeMode::Real) {
      // Program time is real (sound goes to a device): wait for it.
      WaitPosted(target - now);
    } else {
      AdvanceTo(target);
    }
    Pump();
  }

  bool NeedKey() override {
    if (due_ms_ >= 0) {
      AdvanceTo(due_ms_);
      Pump();
      return true;
    }
    if (next_ >= actions_.size()) return false;
    PostKeyAction(actions_[next_++]);
    ScheduleTimedKey();
    return true;
  }

  void SetTitle(const std::string&) override {}
  void SetClipboard(const std::string& latin1) override { clipboard_ = latin1; }
  std::string Clipboard() override { return clipboard_; }

 private:
  // When the next action is a wait, the key after it becomes due.
  void ScheduleTimedKey() {
    if (next_ >= actions_.size() || actions_[next_].kind != KeyAction::Kind::Wait) return;
    int64_t wait = 0;
    while (next_ < actions_.size() && actions_[next_].kind == KeyAction::Kind::Wait)
      wait += actions_[next_++].wait_ms;
    due_ms_ = NowMs() + wait;
  }

  void ReleaseTimedKey() {
    due_ms_ = -1;
    if (next_ < actions_.size()) PostKeyAction(actions_[next_++]);
    ScheduleTimedKey();
  }

  // One row, trailing blanks removed, as a UTF-8 line of standard output.
  static void PrintRow(const Frame& frame, int row) {
    if (row < 0 || row >= kRows) return;
    std::string line(reinterpret_cast<const char*>(frame.chars + row * kColumns), kColumns);
    size_t end = line.find_last_not_of(' ');
    line.resize(end == std::string::npos ? 0 : end + 1);
    std::string utf8 = Latin1ToUtf8(line) + "\n";
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
  }

  bool rows_to_output_ = [] {
    const char* screen = std::getenv("TESSEL_SCREEN");
    return !screen || !*screen;
  }();
  Frame last_frame_;
  std::vector<KeyAction> actions_;
  size_t next_ = 0;
  int64_t due_ms_ = -1;  // program time at which the next key is released
  std::string clipboard_;
};

std::unique_ptr<Backend> CreateHeadless(const FontRequest&, ShowMode) {
  std::vector<KeyAction> actions;
  const char* path = std::getenv("TESSEL_KEYS");
  if (path && *path) {
    std::string contents;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
      std::fprintf(stderr, "tessel: cannot read key script %s\n", path);
    } else {
      char buffer[4096];
      size_t got;
      while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) contents.append(buffer, got);
      std::fclose(file);
      std::string error;
      if (!ParseKeyScript(contents, actions, error)) {
        std::fprintf(stderr, "tessel: %s\n", error.c_str());
        actions.clear();
      }
    }
  }
  return std::make_unique<HeadlessBackend>(std::move(actions));
}

}  // namespace

const BackendDescriptor kHeadlessBackend = {"headless", "grid in memory, keys from TESSEL_KEYS", CreateHeadless};

}  // namespace platform::window
