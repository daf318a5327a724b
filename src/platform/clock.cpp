#include "platform/clock.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace platform {
namespace {

using SteadyClock = std::chrono::steady_clock;

TimeMode g_mode = TimeMode::Real;
SteadyClock::time_point g_start = SteadyClock::now();
std::chrono::system_clock::time_point g_wall_start = std::chrono::system_clock::now();
std::atomic<int64_t> g_virtual_ms{0};

}  // namespace

void ClockInit(TimeMode mode) {
  g_mode = mode;
  g_start = SteadyClock::now();
  g_wall_start = std::chrono::system_clock::now();
  g_virtual_ms = 0;
}

TimeMode ClockMode() { return g_mode; }

int64_t NowMs() {
  if (g_mode == TimeMode::Virtual) return g_virtual_ms.load();
  return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - g_start).count();
}

void SleepMs(int64_t ms) {
  if (ms <= 0) return;
  if (g_mode == TimeMode::Virtual) {
    g_virtual_ms += ms;
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void AdvanceTo(int64_t ms) {
  if (g_mode != TimeMode::Virtual) return;
  int64_t now = g_virtual_ms.load();
  if (ms > now) g_virtual_ms = ms;
}

WallTime LocalNow() {
  auto now = std::chrono::system_clock::now();
  if (g_mode == TimeMode::Virtual) now = g_wall_start + std::chrono::milliseconds(g_virtual_ms.load());
  std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  int ms = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  return WallTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_wday,
                  local.tm_hour,        local.tm_min,     local.tm_sec,  ms};
}

}  // namespace platform
