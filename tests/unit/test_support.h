// Shared set-up for tests that use the console: a headless console, the null
// audio output, a virtual clock and a Windows folder of their own.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "console/console.h"
#include "platform/clock.h"

namespace test_support {

class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/tessel-test-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }
  void Write(const std::string& name, const std::string& contents) const {
    std::filesystem::create_directories((path_ / name).parent_path());
    std::ofstream out(path_ / name, std::ios::binary);
    out << contents;
  }

 private:
  std::filesystem::path path_;
};

// Starts each test with a fresh headless console whose MIRANE.INI holds `ini`.
class HeadlessConsole {
 public:
  explicit HeadlessConsole(const std::string& ini = "") {
    if (!ini.empty()) folder_.Write("MIRANE.INI", ini);
    setenv("MIRANE_WINDIR", folder_.path().c_str(), 1);
    setenv("TESSEL_CONSOLE", "headless", 1);
    setenv("TESSEL_AUDIO", "null", 1);
    unsetenv("TESSEL_KEYS");
    platform::ClockInit(platform::TimeMode::Virtual);
    console::ResetForTests();
  }
  ~HeadlessConsole() { console::ResetForTests(); }
  const TempFolder& folder() const { return folder_; }

 private:
  TempFolder folder_;
};

}  // namespace test_support
