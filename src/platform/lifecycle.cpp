#include "platform/lifecycle.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/log.h"

namespace platform {
namespace {
std::vector<std::function<void()>>& Handlers() {
  static std::vector<std::function<void()>> handlers;
  return handlers;
}
bool g_exiting = false;
}  // namespace

void AtExit(std::function<void()> handler) { Handlers().push_back(std::move(handler)); }

void Exit(int code) {
  if (!g_exiting) {
    g_exiting = true;
    auto& handlers = Handlers();
    while (!handlers.empty()) {
      auto handler = std::move(handlers.back());
      handlers.pop_back();
      handler();
    }
    LogEvent("exit", std::to_string(code));
    LogClose();
  }
  std::fflush(nullptr);
  std::exit(code);
}

}  // namespace platform
