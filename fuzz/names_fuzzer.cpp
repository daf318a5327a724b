// Fuzz target: Windows names, drives and wildcards. The property: no name
// resolves outside its drive's folder, whatever its "." and ".." (drive C
// is a folder of its own, the current folder a folder inside it). The input
// is a name, then after a zero byte a wildcard and a name it is matched
// against.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_support.h"
#include "platform/files.h"

namespace files = platform::files;

namespace {

std::string g_drive;

bool Inside(const std::string& path) {
  return path == g_drive || path.compare(0, g_drive.size() + 1, g_drive + "/") == 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_support::HeadlessEnvironment();
  std::filesystem::path drive = fuzz_support::Folder() / "drive";
  std::filesystem::create_directories(drive / "Sub" / "Deeper");
  fuzz_support::WriteFile("drive/Sub/File.txt", "x");
  fuzz_support::WriteFile("outside.txt", "x");
  g_drive = std::filesystem::canonical(drive).string();
  setenv("MIRANE_DRIVE_C", g_drive.c_str(), 1);
  std::filesystem::current_path(drive / "Sub");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto parts = fuzz_support::Parts(data, size, std::string_view("\0", 1));
  std::string name(parts[0]);
  // The property holds for names on drive C and for relative names.
  bool on_c = name.size() >= 2 && (name[0] == 'c' || name[0] == 'C') && name[1] == ':';
  bool relative = !name.empty() && name[0] != '\\' && name[0] != '/' && !(name.size() >= 2 && name[1] == ':');
  std::string path = files::NativePath(name);
  if (on_c && !Inside(path)) {
    std::fprintf(stderr, "%s resolved to %s, outside %s\n", name.c_str(), path.c_str(), g_drive.c_str());
    std::abort();
  }
  if (relative && !path.empty() && path[0] == '/' && !Inside(path)) {
    std::fprintf(stderr, "%s resolved to %s, outside %s\n", name.c_str(), path.c_str(), g_drive.c_str());
    std::abort();
  }
  if (on_c || relative) {
    files::Exists(name);
    if (name.size() < 64) files::Find(name);
  }
  if (parts.size() >= 3 && parts[1].size() < 64 && parts[2].size() < 256)
    files::WildcardMatch(std::string(parts[1]), std::string(parts[2]));
  return 0;
}
