#include "platform/lifecycle.h"

#include <unistd.h>

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

std::string ProgramFolder() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  std::string program(path, static_cast<size_t>(length));
  size_t slash = program.rfind('/');
  return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

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
