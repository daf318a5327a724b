// Waits on sockets with the console's message pump running.
#include "net/wait.h"

#include <chrono>

#include "console/console.h"
#include "platform/clock.h"

namespace net {
namespace {

// The longest the program goes without handling its messages.
constexpr int64_t kStepMs = 50;

int64_t RealMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

platform::net::Ready WaitSocket(platform::net::Socket socket, bool for_write, int64_t timeout_ms) {
  using platform::net::Ready;
  int64_t start = RealMs();
  for (;;) {
    int64_t step = kStepMs;
    if (timeout_ms >= 0) {
      int64_t left = timeout_ms - (RealMs() - start);
      if (left < step) step = left < 0 ? 0 : left;
    }
    int64_t before = RealMs();
    Ready ready = platform::net::WaitReady(socket, for_write, static_cast<int>(step));
    // Program time goes on with the time spent waiting for the peer.
    platform::AdvanceTo(platform::NowMs() + (RealMs() - before));
    console::PumpMessages();
    if (ready != Ready::No) return ready;
    if (timeout_ms >= 0 && RealMs() - start >= timeout_ms) return Ready::No;
  }
}

}  // namespace net
