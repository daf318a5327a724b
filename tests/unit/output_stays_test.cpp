// Output that stays after the program: the terminal back end writes its last
// screen's text on the normal screen when it ends (on a pseudo-terminal), and
// headless without TESSEL_SCREEN the completed rows go to standard output.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "program_support.h"
#include "test_support.h"

namespace {

const char kScript[] = "ESCREVE \"Primeira linha\"\r\nESCREVE \"S\xE9tima\"\r\nESCREVE \"sem quebra\" &\r\nTERMINA MUDO\r\n";

TEST(OutputStays, HeadlessRowsGoToStandardOutputWithoutScreenFile) {
  test_support::TempFolder folder;
  std::string dir = folder.path().string();
  folder.Write("job.cmd", kScript);
  std::string output;
  std::vector<std::string> environment = {"TESSEL_CONSOLE=headless", "TESSEL_AUDIO=null", "MIRANE_WINDIR=" + dir};
  ASSERT_EQ(test_support::RunProgram({dir + "/job.cmd"}, environment, dir, output), 0);
  EXPECT_EQ(output, "Primeira linha\nS\xC3\xA9tima\nsem quebra\n");

  // With a screen file the harness contract holds: nothing on standard output.
  environment.push_back("TESSEL_SCREEN=" + dir + "/screen.txt");
  ASSERT_EQ(test_support::RunProgram({dir + "/job.cmd"}, environment, dir, output), 0);
  EXPECT_EQ(output, "");
  EXPECT_EQ(folder.Read("screen.txt").substr(0, 34), "Primeira linha\nS\xC3\xA9tima\nsem quebra\n");
}

TEST(OutputStays, TerminalLeavesItsLastScreenInTheScrollback) {
  test_support::TempFolder folder;
  std::string dir = folder.path().string();
  folder.Write("job.cmd", kScript);
  std::string binary = TESSEL_BINARY, script = dir + "/job.cmd";
  int master = -1;
  winsize size{};
  size.ws_col = 80;
  size.ws_row = 25;
  fflush(nullptr);
  pid_t child = forkpty(&master, nullptr, nullptr, &size);
  ASSERT_GE(child, 0);
  if (child == 0) {
    setenv("TESSEL_CONSOLE", "terminal", 1);
    setenv("TESSEL_AUDIO", "null", 1);
    setenv("TERM", "xterm-256color", 1);
    setenv("MIRANE_WINDIR", dir.c_str(), 1);
    unsetenv("TESSEL_SCREEN");
    unsetenv("TESSEL_KEYS");
    execl(binary.c_str(), binary.c_str(), script.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string written;
  char buffer[4096];
  for (;;) {
    pollfd ready{master, POLLIN, 0};
    if (poll(&ready, 1, 10000) <= 0) break;
    ssize_t count = read(master, buffer, sizeof buffer);
    if (count <= 0) break;  // the child closed the terminal
    written.append(buffer, static_cast<size_t>(count));
  }
  int status = 0;
  waitpid(child, &status, 0);
  close(master);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  size_t left = written.rfind("\x1b[?1049l");
  ASSERT_NE(left, std::string::npos) << "left the alternate screen";
  std::string after = written.substr(left);
  // The terminal turns each line feed into CR LF.
  EXPECT_NE(after.find("Primeira linha\r\nS\xC3\xA9tima\r\nsem quebra\r\n"), std::string::npos) << after;
}

}  // namespace
