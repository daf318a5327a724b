// Running the real tessel binary from a benchmark.
#pragma once
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

// Starts `argv` with `extra_environment` added, standard input from
// /dev/null, standard output into `output_file` (default /dev/null) and
// standard error to /dev/null. Returns the child's pid, or -1.
inline pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extra_environment,
                   const std::string& output_file = "/dev/null") {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry; ++entry) environment.push_back(*entry);
  for (const auto& entry : extra_environment) environment.push_back(entry);
  std::vector<char*> args, envs;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  for (const auto& entry : environment) envs.push_back(const_cast<char*>(entry.c_str()));
  envs.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  int error = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), envs.data());
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

// Runs `argv` with `extra_environment` added; returns wall seconds, or -1.
inline double RunSeconds(const std::vector<std::string>& argv, const std::vector<std::string>& extra_environment) {
  auto start = std::chrono::steady_clock::now();
  pid_t pid = Spawn(argv, extra_environment);
  if (pid < 0) return -1;
  int status;
  waitpid(pid, &status, 0);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

}  // namespace bench
