// Starting programs: the shell's open and the piped child, over posix_spawn.
#include "platform/process/spawn.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/lifecycle.h"
#include "platform/text.h"

extern char** environ;

namespace platform::process {
namespace {

constexpr size_t kLargestRead = 65535;

struct Child {
  pid_t pid = 0;
  int input = -1;   // we write, the child reads
  int output = -1;  // the child writes, we read
  int error = -1;
};

struct State {
  Child child;
  std::vector<pid_t> started;  // every process we started and have not reaped
  bool exit_registered = false;
};

State& S() {
  static State state;
  return state;
}

// Reaps every started process that has ended.
void ReapEnded() {
  auto& started = S().started;
  started.erase(std::remove_if(started.begin(), started.end(),
                               [](pid_t pid) {
                                 int status = 0;
                                 pid_t result = waitpid(pid, &status, WNOHANG);
                                 return result == pid || (result < 0 && errno == ECHILD);
                               }),
                started.end());
}

void CloseDescriptor(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

void RegisterExit() {
  if (S().exit_registered) return;
  S().exit_registered = true;
  platform::AtExit([] { EndChild(); });
}

bool IsExecutableFile(const std::string& path) {
  struct stat info{};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The native path of an executable program: a name with a folder is taken as
// a path; a bare name is looked for in PATH, then in the current folder.
// Empty when there is no such executable.
std::string FindExecutable(const std::string& program) {
  if (program.empty()) return "";
  if (program.find_first_of("/\\:") != std::string::npos) {
    std::string path = files::NativePath(program);
    return IsExecutableFile(path) ? path : "";
  }
  std::string name = Latin1ToUtf8(program);
  const char* search = std::getenv("PATH");
  std::string folders = search ? search : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  for (;;) {
    size_t end = folders.find(':', start);
    std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::string path = (folder.empty() ? std::string(".") : folder) + "/" + name;
    if (IsExecutableFile(path)) return path;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  std::string local = files::NativePath(program);
  return IsExecutableFile(local) ? local : "";
}

// Starts argv[0] (a native path) with the given descriptors as its standard
// input, output and error; -1 in `fds` means /dev/null. Returns the pid or 0.
pid_t Spawn(const std::vector<std::string>& argv, const int fds[3], const std::string& folder, bool own_group,
            bool new_session) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  for (int target = 0; target < 3; ++target) {
    if (fds[target] >= 0)
      posix_spawn_file_actions_adddup2(&actions, fds[target], target);
    else
      posix_spawn_file_actions_addopen(&actions, target, "/dev/null", target == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  // Nothing else of this program's reaches the child.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  // The child starts with default signal handling and nothing blocked, even
  // where this program ignores SIGPIPE.
  sigset_t defaults, none;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGQUIT);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGCHLD);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &none);
  short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
  if (new_session) {
    flags |= POSIX_SPAWN_SETSID;
  } else if (own_group) {
    flags |= POSIX_SPAWN_SETPGROUP;
    posix_spawnattr_setpgroup(&attributes, 0);
  }
  posix_spawnattr_setflags(&attributes, flags);

  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  int result = posix_spawn(&pid, argv[0].c_str(), &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (result != 0) return 0;
  S().started.push_back(pid);
  return pid;
}

std::vector<std::string> NativeArguments(const std::string& path, const std::string& parameters) {
  std::vector<std::string> argv{path};
  for (const std::string& word : SplitParameters(parameters)) argv.push_back(Latin1ToUtf8(word));
  return argv;
}

}  // namespace

std::vector<std::string> SplitParameters(const std::string& parameters) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, any = false;
  for (char c : parameters) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

namespace {

// Starts `argv` on its own: a direct child when `watch` is set (the caller
// follows it with ProgramRunning), else through a shell that starts it in
// the background and ends at once, so that it never becomes a child of ours
// to reap.
int StartOnItsOwn(std::vector<std::string> argv, const std::string& folder, bool watch) {
  const int quiet[3] = {-1, -1, -1};
  if (watch) return Spawn(argv, quiet, folder, false, true);
  argv.insert(argv.begin(), {"/bin/sh", "-c", "\"$@\" & exit 0", "sh"});
  pid_t starter = Spawn(argv, quiet, folder, false, true);
  if (starter <= 0) return 0;
  int status = 0;
  while (waitpid(starter, &status, 0) < 0 && errno == EINTR) {
  }
  auto& started = S().started;
  started.erase(std::remove(started.begin(), started.end(), starter), started.end());
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? starter : 0;
}

}  // namespace

int OpenProgram(const std::string& program, const std::string& parameters, const std::string& folder,
                OpenShow show, bool watch) {
  (void)show;  // X has no hidden start: the program decides whether it shows a window
  RegisterExit();
  ReapEnded();
  std::string native_folder = folder.empty() ? "" : files::NativePath(folder);
  std::string executable = FindExecutable(program);
  if (!executable.empty()) return StartOnItsOwn(NativeArguments(executable, parameters), native_folder, watch);
  // A document: the desktop's opener starts the program that shows it.
  if (!files::Exists(program)) return 0;
  std::string opener = FindExecutable("xdg-open");
  if (opener.empty()) return 0;
  return StartOnItsOwn({opener, files::NativePath(program)}, native_folder, watch);
}

bool ProgramRunning(int pid) {
  ReapEnded();
  auto& started = S().started;
  return pid > 0 && std::find(started.begin(), started.end(), pid) != started.end();
}

bool StartChild(const std::string& program, const std::string& parameters) {
  RegisterExit();
  EndChild();
  std::string executable = FindExecutable(program);
  if (executable.empty()) return false;
  // Writing to a child that stopped reading must not end this program.
  signal(SIGPIPE, SIG_IGN);
  int input[2], output[2], error[2];
  if (pipe2(input, O_CLOEXEC) != 0) return false;
  if (pipe2(output, O_CLOEXEC) != 0) {
    close(input[0]);
    close(input[1]);
    return false;
  }
  if (pipe2(error, O_CLOEXEC) != 0) {
    close(input[0]);
    close(input[1]);
    close(output[0]);
    close(output[1]);
    return false;
  }
  // Only the child's ends reach the child (dup2 onto 0-2 clears close-on-exec);
  // our ends stay close-on-exec, so no later child holds them open.
  const int fds[3] = {input[0], output[1], error[1]};
  pid_t pid = Spawn(NativeArguments(executable, parameters), fds, "", true, false);
  close(input[0]);
  close(output[1]);
  close(error[1]);
  if (pid == 0) {
    close(input[1]);
    close(output[0]);
    close(error[0]);
    return false;
  }
  Child& child = S().child;
  child.pid = pid;
  child.input = input[1];
  child.output = output[0];
  child.error = error[0];
  fcntl(child.output, F_SETFL, fcntl(child.output, F_GETFL) | O_NONBLOCK);
  fcntl(child.error, F_SETFL, fcntl(child.error, F_GETFL) | O_NONBLOCK);
  return true;
}

bool HasChild() { return S().child.pid > 0; }

void WriteChild(const std::string& bytes) {
  Child& child = S().child;
  if (child.input < 0) return;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t written = write(child.input, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    done += static_cast<size_t>(written);
  }
}

namespace {

std::string ReadWaiting(int fd) {
  std::string text;
  if (fd < 0) return text;
  char buffer[4096];
  while (text.size() < kLargestRead) {
    size_t want = std::min(sizeof buffer, kLargestRead - text.size());
    ssize_t got = read(fd, buffer, want);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer, static_cast<size_t>(got));
  }
  return text;
}

}  // namespace

void ReadChild(std::string& output, std::string& error) {
  output = ReadWaiting(S().child.output);
  error = ReadWaiting(S().child.error);
  ReapEnded();
}

bool WaitChildReadable(int timeout_ms) {
  const Child& child = S().child;
  pollfd fds[2] = {{child.output, POLLIN, 0}, {child.error, POLLIN, 0}};
  if (child.output < 0 && child.error < 0) return false;
  int ready = poll(fds, 2, timeout_ms);
  return ready > 0;
}

void EndChild() {
  Child& child = S().child;
  bool had = child.pid > 0;
  CloseDescriptor(child.input);
  CloseDescriptor(child.output);
  CloseDescriptor(child.error);
  pid_t pid = child.pid;
  child.pid = 0;
  if (had) {
    // Most children end as soon as their input ends: give it a moment, so
    // that it is reaped now rather than at the next start.
    for (int i = 0; i < 40; ++i) {
      int status = 0;
      pid_t result = waitpid(pid, &status, WNOHANG);
      if (result == pid || (result < 0 && errno == ECHILD)) {
        auto& started = S().started;
        started.erase(std::remove(started.begin(), started.end(), pid), started.end());
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  ReapEnded();
}

int OpenChildDescriptors() {
  const Child& child = S().child;
  return (child.input >= 0) + (child.output >= 0) + (child.error >= 0);
}

int UnreapedChildren() {
  ReapEnded();
  return static_cast<int>(S().started.size());
}

}  // namespace platform::process
