// The process list from /proc: each process's program path (/proc/N/exe),
// its first argument and its command name.
#include "platform/process/proclist.h"

#include <dirent.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/text.h"

namespace platform::process {
namespace {

// Upper-cased for comparison (ASCII letters and the Latin-1 small letters).
std::string Folded(const std::string& latin1) {
  std::string text = latin1;
  for (char& c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') c = static_cast<char>(u - 32);
    else if (u >= 0xE0 && u <= 0xFE && u != 0xF7) c = static_cast<char>(u - 32);
  }
  return text;
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Matches(const std::string& wanted, const std::string& native_path) {
  if (native_path.empty()) return false;
  std::string path = Folded(Utf8ToLatin1(native_path));
  return path == wanted || BaseName(path) == wanted;
}

}  // namespace

bool ProcessRunning(const std::string& name) {
  std::string wanted = Folded(name);
  // Windows names say which folder with "\"; ours with "/".
  for (char& c : wanted)
    if (c == '\\') c = '/';
  if (wanted.empty()) return false;
  // Windows program files end in ".exe"; ours have no extension.
  const std::string exe = ".EXE";
  std::string bare = wanted;
  if (bare.size() > exe.size() && bare.compare(bare.size() - exe.size(), exe.size(), exe) == 0)
    bare.resize(bare.size() - exe.size());
  DIR* folder = opendir("/proc");
  if (!folder) return false;
  bool found = false;
  while (dirent* entry = readdir(folder)) {
    if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0]))) continue;
    std::string base = std::string("/proc/") + entry->d_name;
    char target[4096];
    ssize_t size = readlink((base + "/exe").c_str(), target, sizeof target - 1);
    std::string path = size > 0 ? std::string(target, static_cast<size_t>(size)) : std::string();
    const std::string deleted = " (deleted)";
    if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
      path.resize(path.size() - deleted.size());
    // A program started through a link ("sh" for dash) is known by the name
    // it was started with too: the first word of its command line and its
    // command name (at most 15 characters).
    std::ifstream arguments(base + "/cmdline", std::ios::binary);
    std::string first;
    std::getline(arguments, first, '\0');
    std::ifstream comm(base + "/comm");
    std::string command;
    std::getline(comm, command);
    if (Matches(wanted, path) || Matches(wanted, first) || Matches(wanted, command) || Matches(bare, path) ||
        Matches(bare, first) || Matches(bare, command)) {
      found = true;
      break;
    }
  }
  closedir(folder);
  return found;
}

}  // namespace platform::process
