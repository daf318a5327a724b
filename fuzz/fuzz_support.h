// Shared set-up of the fuzz targets: a headless console, the null audio
// output, a virtual clock, and a throwaway folder of the target's own (the
// Windows folder too) where inputs are written as files.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz_support {

// The target's folder, made on first use under the system's temporary
// folder and removed when the process ends.
inline const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "tessel-fuzz-XXXXXX").string();
    std::filesystem::path made = mkdtemp(pattern.data());
    std::atexit([] { std::error_code ignored; std::filesystem::remove_all(Folder(), ignored); });
    return made;
  }();
  return folder;
}

// Environment of a headless run with everything at its defaults.
inline void HeadlessEnvironment() {
  setenv("TESSEL_CONSOLE", "headless", 1);
  setenv("TESSEL_AUDIO", "null", 1);
  unsetenv("TESSEL_KEYS");
  unsetenv("TESSEL_LOG");
  unsetenv("TESSEL_SCREEN");
  setenv("MIRANE_WINDIR", Folder().c_str(), 1);
  setenv("TMPDIR", Folder().c_str(), 1);
}

// Writes bytes as a file of the folder; its native path.
inline std::string WriteFile(const std::string& name, std::string_view bytes) {
  std::filesystem::path path = Folder() / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

// The input cut at each `separator` (the parts of one input).
inline std::vector<std::string_view> Parts(const uint8_t* data, size_t size, std::string_view separator) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  for (;;) {
    size_t cut = rest.find(separator);
    if (cut == std::string_view::npos) break;
    parts.push_back(rest.substr(0, cut));
    rest.remove_prefix(cut + separator.size());
  }
  parts.push_back(rest);
  return parts;
}

}  // namespace fuzz_support
