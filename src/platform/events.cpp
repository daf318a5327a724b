#include "platform/events.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/clock.h"

namespace platform {
namespace {

struct TimedEvent {
  int64_t at_ms;
  uint64_t order;  // keeps events of equal time in posting order
  Event event;
};

std::mutex g_mutex;
std::condition_variable g_posted;
std::deque<Event> g_queue;
std::deque<TimedEvent> g_timed;  // sorted by (at_ms, order)
uint64_t g_order = 0;

}  // namespace

void PostEvent(const Event& event) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_queue.push_back(event);
  }
  g_posted.notify_all();
}

void PostEventAt(int64_t at_ms, const Event& event) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    TimedEvent timed{at_ms, g_order++, event};
    auto it = g_timed.begin();
    while (it != g_timed.end() && it->at_ms <= at_ms) ++it;
    g_timed.insert(it, timed);
  }
  g_posted.notify_all();
}

bool TakeEvent(Event& event) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_timed.empty() && g_timed.front().at_ms <= NowMs()) {
    event = g_timed.front().event;
    g_timed.pop_front();
    return true;
  }
  if (g_queue.empty()) return false;
  event = g_queue.front();
  g_queue.pop_front();
  return true;
}

bool EventsPending() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return !g_queue.empty() || (!g_timed.empty() && g_timed.front().at_ms <= NowMs());
}

int64_t NextTimedEventMs() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_timed.empty() ? -1 : g_timed.front().at_ms;
}

void CancelTimedEvents(EventType type) {
  std::lock_guard<std::mutex> lock(g_mutex);
  int64_t now = NowMs();
  std::erase_if(g_timed, [&](const TimedEvent& timed) {
    return timed.event.type == type && timed.at_ms > now;
  });
}

void WaitPosted(int64_t timeout_ms) {
  std::unique_lock<std::mutex> lock(g_mutex);
  if (!g_queue.empty()) return;
  if (timeout_ms <= 0) return;
  g_posted.wait_for(lock, std::chrono::milliseconds(timeout_ms));
}

void ClearEvents() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_queue.clear();
  g_timed.clear();
}

}  // namespace platform
