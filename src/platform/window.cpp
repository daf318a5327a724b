// Choosing the console back end.
#include "platform/window.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace platform::window {
namespace {

const BackendDescriptor* const kBackends[] = {&kSdlBackend, &kTerminalBackend, &kHeadlessBackend};

}  // namespace

std::string PreferredBackendName() {
  const char* wanted = std::getenv("TESSEL_CONSOLE");
  if (wanted && *wanted) return wanted;
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((display && *display) || (wayland && *wayland)) return "window";
  if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) return "terminal";
  return "headless";
}

std::unique_ptr<Backend> CreateBackend(const FontRequest& font, ShowMode initial) {
  std::string wanted = PreferredBackendName();
  bool known = false;
  for (const BackendDescriptor* descriptor : kBackends) {
    if (wanted == descriptor->name) {
      known = true;
      if (auto backend = descriptor->create(font, initial)) return backend;
      std::fprintf(stderr, "tessel: console back end '%s' cannot work here\n", descriptor->name);
    }
  }
  if (!known) std::fprintf(stderr, "tessel: unknown TESSEL_CONSOLE '%s'\n", wanted.c_str());
  // Fall back in order; the headless grid always works.
  for (const BackendDescriptor* descriptor : kBackends) {
    if (wanted == descriptor->name) continue;
    if (descriptor == &kSdlBackend && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) continue;
    if (descriptor == &kTerminalBackend && !(isatty(STDIN_FILENO) && isatty(STDOUT_FILENO))) continue;
    if (auto backend = descriptor->create(font, initial)) return backend;
  }
  return kHeadlessBackend.create(font, initial);
}

}  // namespace platform::window
