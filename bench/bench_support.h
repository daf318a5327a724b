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

// Runs `argv` with `extra_environment` added; returns wall seconds, or -1.
inline double RunSeconds(const std::vector<std::string>& argv, const std::vector<std::string>& extra_environment) {
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
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), envs.data()) != 0) return -1;
  posix_spawn_file_actions_destroy(&actions);
  int status;
  waitpid(pid, &status, 0);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

}  // namespace bench
