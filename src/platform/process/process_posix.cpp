// The desktop's open request on Linux: posix_spawn in its own session, with
// the standard streams on /dev/null; children are reaped on later calls.
#include "platform/process/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/files.h"

extern char** environ;

namespace platform::process {
namespace {

std::vector<pid_t>& Children() {
  static std::vector<pid_t> children;
  return children;
}

void ReapFinished() {
  std::vector<pid_t>& children = Children();
  for (size_t i = 0; i < children.size();) {
    int status = 0;
    if (waitpid(children[i], &status, WNOHANG) != 0) children.erase(children.begin() + static_cast<long>(i));
    else ++i;
  }
}

bool IsExecutableFile(const std::string& native) {
  struct stat info {};
  return stat(native.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(native.c_str(), X_OK) == 0;
}

// A script name that names an existing file or folder becomes its native
// path; anything else (a command, an address) stays as it is.
std::string Native(const std::string& name) {
  if (name.empty()) return name;
  std::string native = files::NativePath(name);
  return files::Exists(name) ? native : name;
}

bool Spawn(const std::vector<std::string>& arguments, const std::string& folder) {
  ReapFinished();
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::string native_folder = folder.empty() ? std::string() : files::NativePath(folder);
  if (!native_folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, native_folder.c_str());
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  int error = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return false;
  Children().push_back(pid);
  return true;
}

}  // namespace

bool ShellOpen(const std::string& program, const std::string& parameters, const std::string& folder) {
  if (program.empty() && parameters.empty()) return false;
  if (program.empty()) return Spawn({"xdg-open", Native(parameters)}, folder);
  std::string native_program = Native(program);
  bool is_file = files::Exists(program);
  if (is_file && !IsExecutableFile(native_program)) {
    // A document: the desktop's association opens it.
    return Spawn({"xdg-open", native_program}, folder);
  }
  std::vector<std::string> arguments{native_program};
  if (!parameters.empty()) arguments.push_back(Native(parameters));
  return Spawn(arguments, folder);
}

}  // namespace platform::process
