// Runs the real tessel binary from a test, headless, and collects what it
// wrote on standard output.
#pragma once
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace test_support {

// Runs tessel with `arguments` and only the environment `environment` (plus
// a PATH), standard input from /dev/null and standard output into a file of
// `folder`; returns the exit code (-1 when it did not exit) and the output.
inline int RunProgram(const std::vector<std::string>& arguments, std::vector<std::string> environment,
                      const std::string& folder, std::string& output) {
  std::string out_file = folder + "/stdout.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  std::vector<std::string> args = {TESSEL_BINARY};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  environment.push_back("PATH=/usr/bin:/bin");
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, TESSEL_BINARY, &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  std::ifstream in(out_file, std::ios::binary);
  output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace test_support
