// Shared set-up for tests that use the console: a headless console, the null
// audio output, a virtual clock and a Windows folder of their own.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include <vector>

#include "console/console.h"
#include "platform/clock.h"
#include "platform/keyscript.h"

namespace test_support {

// Sets an environment variable for the life of the object, then restores it.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) setenv(name, value->c_str(), 1);
    else unsetenv(name);
  }
  ~ScopedVariable() {
    if (old_) setenv(name_.c_str(), old_->c_str(), 1);
    else unsetenv(name_.c_str());
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

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
  // The whole contents of a file in the folder (empty when missing).
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

// Types a key script into the queue as the window would deliver it.
inline void Type(const std::string& keys) {
  std::vector<platform::KeyAction> actions;
  std::string error;
  ASSERT_TRUE(platform::ParseKeyScript(keys, actions, error)) << error;
  for (const auto& action : actions) platform::PostKeyAction(action);
  console::PumpMessages();
}

}  // namespace test_support
