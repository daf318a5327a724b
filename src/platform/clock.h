// clock: program time and wall-clock time.
//
// Program time is counted in milliseconds from program start. In headless mode
// the clock is virtual: nothing sleeps, pauses and sound durations simply move
// the clock forward, so a script with a 90-second pause finishes at once.
// Only waits on an outside party (a socket, a child process) take real time.
#pragma once
#include <cstdint>

namespace platform {

enum class TimeMode { Real, Virtual };

void ClockInit(TimeMode mode);
TimeMode ClockMode();

// Milliseconds of program time since ClockInit.
int64_t NowMs();

// Sleeps for real, or moves the virtual clock forward.
void SleepMs(int64_t ms);

// Moves the virtual clock forward to `ms` (no effect when already past it or
// when the clock is real).
void AdvanceTo(int64_t ms);

struct WallTime {
  int year, month, day;   // month 1-12, day 1-31
  int day_of_week;        // 0 = Sunday ... 6 = Saturday
  int hour, minute, second, millisecond;
};

// Local date and time now; in virtual mode the virtual time elapsed since
// start is added to the real time at start, so a pause moves the clock.
WallTime LocalNow();

}  // namespace platform
