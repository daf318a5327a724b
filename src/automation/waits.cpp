// Real-time waits through the message pump.
#include "automation/waits.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "console/console.h"
#include "console/keyboard.h"
#include "platform/accessibility/accessibility.h"
#include "platform/clock.h"
#include "platform/desktop/desktop.h"
#include "speech/speech.h"

namespace automation {

const char* const kNoDesktop = "\xC1rea de trabalho gr\xE1" "fica n\xE3o dispon\xEDvel.";

bool WaitReal(int64_t ms, const std::function<bool()>& done, bool end_on_key) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const int64_t program_start = platform::NowMs();
  for (;;) {
    int64_t elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    // Program time keeps up with the real time waited, so timed keys of the
    // key script arrive during the wait too.
    platform::AdvanceTo(program_start + elapsed);
    console::PumpMessages();
    platform::accessibility::Pump();
    if (done && done()) return true;
    if (end_on_key && console::QueuedKeys() > 0) return false;
    if (elapsed >= ms) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min<int64_t>(10, ms - elapsed)));
  }
}

bool DesktopPresent() {
  if (platform::desktop::Available()) return true;
  speech::WriteLineSpeak(kNoDesktop);
  return false;
}

}  // namespace automation
