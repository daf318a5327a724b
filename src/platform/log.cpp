#include "platform/log.h"

#include <cstdio>
#include <cstdlib>

#include "platform/text.h"

namespace platform {
namespace {
std::FILE* g_log = nullptr;
}

void LogInit() {
  if (g_log) return;
  const char* path = std::getenv("TESSEL_LOG");
  if (!path || !*path) return;
  g_log = std::fopen(path, "w");
}

void LogEvent(std::string_view event, std::string_view text) {
  if (!g_log) return;
  std::string line(event);
  if (!text.empty()) {
    line += ' ';
    for (char c : Latin1ToUtf8(text)) {
      if (c == '\n') line += "\\n";
      else if (c == '\r') line += "\\r";
      else line += c;
    }
  }
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), g_log);
  std::fflush(g_log);
}

void LogClose() {
  if (g_log) std::fclose(g_log);
  g_log = nullptr;
}

}  // namespace platform
