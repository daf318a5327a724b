// Programs started by scripts: the piped child driven with ENVIACMD and read
// with LE CONSOLE, real children (sh, cat), the process list, and what is
// left behind when children are replaced.
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <set>
#include <string>
#include <vector>

#include "automation/commands.h"
#include "data/file_table.h"
#include "interpreter/operands.h"
#include "platform/process/proclist.h"
#include "platform/process/spawn.h"
#include "test_support.h"

namespace {

// The descriptors this process has open.
std::set<std::string> OpenDescriptors() {
  std::set<std::string> names;
  DIR* folder = opendir("/proc/self/fd");
  std::string own = std::to_string(dirfd(folder));
  while (dirent* entry = readdir(folder)) {
    if (entry->d_name[0] == '.') continue;
    names.insert(entry->d_name);
  }
  closedir(folder);
  names.erase(own);
  return names;
}

// Children of this process that have ended and not been reaped.
int Zombies() {
  int count = 0;
  std::ifstream children("/proc/self/task/" + std::to_string(getpid()) + "/children");
  int pid = 0;
  while (children >> pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    size_t close = text.rfind(')');
    if (close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'Z') ++count;
  }
  return count;
}

class AutomationProcess : public ::testing::Test {
 protected:
  void TearDown() override { platform::process::EndChild(); }
  test_support::HeadlessConsole console_;
};

TEST_F(AutomationProcess, PipedShellAnswersLinesSentWithEnviacmd) {
  ASSERT_TRUE(automation::CmdExecuta("\"sh\" &&&"));
  // A line ending in LF is one command to sh; CR would be part of the word.
  ASSERT_TRUE(automation::CmdEnviacmd("\"echo ol\xE1 mundo\""));
  EXPECT_EQ(automation::ReadChildOutput(), "ol\xE1 mundo\r\n\r\n\r\n");
  ASSERT_TRUE(automation::CmdEnviacmd("\"echo falhou 1>&2\""));
  EXPECT_EQ(automation::ReadChildOutput(), "falhou\r\n\r\n");
  // Lines come with CR LF, as every text inside the system.
  ASSERT_TRUE(automation::CmdEnviacmd("\"printf 'a\\nb\\r\\nc'\""));
  EXPECT_EQ(automation::ReadChildOutput(), "a\r\nb\r\nc\r\n\r\n");
  // Nothing asked: nothing waits, and no time is spent waiting.
  EXPECT_EQ(automation::ReadChildOutput(), "");
}

// The children of this process.
std::vector<int> Children() {
  std::vector<int> pids;
  std::ifstream children("/proc/self/task/" + std::to_string(getpid()) + "/children");
  int pid = 0;
  while (children >> pid) pids.push_back(pid);
  return pids;
}

std::set<std::string> DescriptorsOf(int pid) {
  std::set<std::string> names;
  DIR* folder = opendir(("/proc/" + std::to_string(pid) + "/fd").c_str());
  if (!folder) return names;
  while (dirent* entry = readdir(folder))
    if (entry->d_name[0] != '.') names.insert(entry->d_name);
  closedir(folder);
  return names;
}

TEST_F(AutomationProcess, ChildSeesOnlyItsOwnEndsOfThePipes) {
  ASSERT_TRUE(automation::CmdExecuta("\"cat\" &&&"));
  std::vector<int> children = Children();
  ASSERT_EQ(children.size(), 1u);
  EXPECT_EQ(DescriptorsOf(children[0]), (std::set<std::string>{"0", "1", "2"}));
  // The child runs in a process group of its own.
  EXPECT_EQ(getpgid(children[0]), children[0]);
  ASSERT_TRUE(automation::CmdEnviacmd("\"eco\""));
  EXPECT_EQ(automation::ReadChildOutput(), "eco\r\n\r\n\r\n");
  // A new child closes the pipes of the one before: cat sees the end of its
  // input and ends, and is reaped.
  ASSERT_TRUE(automation::CmdExecuta("\"sh\" &&&"));
  std::vector<int> now = Children();
  ASSERT_EQ(now.size(), 1u);
  EXPECT_NE(now[0], children[0]);
}

TEST_F(AutomationProcess, TwoHundredReplacedChildrenLeaveNothingBehind) {
  std::set<std::string> before = OpenDescriptors();
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(automation::CmdExecuta("\"cat\" &&&")) << i;
  EXPECT_EQ(platform::process::OpenChildDescriptors(), 3);
  platform::process::EndChild();
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_EQ(platform::process::UnreapedChildren(), 0);
  EXPECT_EQ(Zombies(), 0);
}

TEST_F(AutomationProcess, OpenedProgramsRunOnTheirOwn) {
  test_support::TempFolder folder;
  std::string mark = (folder.path() / "marca").string();
  // One "&": shown; two: hidden; four count as one. None stays a child of
  // ours, so none can be left unreaped.
  for (const char* ampersands : {"&", "&&", "&&&&"}) {
    std::filesystem::remove(mark);
    std::string line = "\"touch " + mark + "\" " + ampersands;
    ASSERT_TRUE(automation::CmdExecuta(line)) << line;
    EXPECT_TRUE(Children().empty()) << line;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!std::filesystem::exists(mark) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(std::filesystem::exists(mark)) << line;
  }
  // A quoted program with blanks in its path, and its option.
  std::string program = (folder.path() / "meu programa").string();
  folder.Write("meu programa", "#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/opcao\"\n");
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  ASSERT_TRUE(automation::CmdExecuta("\"\"\"" + program + "\"\" -x\" &"));
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (folder.Read("opcao").empty() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(folder.Read("opcao"), "-x\n");
}

TEST_F(AutomationProcess, StartFailuresAndSyntax) {
  EXPECT_FALSE(automation::CmdExecuta("\"/nao/existe/programa\" &&&"));
  EXPECT_FALSE(platform::process::HasChild());
  EXPECT_FALSE(automation::CmdExecuta("\"/nao/existe/programa\" &"));
  EXPECT_FALSE(automation::CmdExecuta("\"sh\" extra &&&"));
  // Without a child, ENVIACMD goes nowhere and still succeeds.
  EXPECT_TRUE(automation::CmdEnviacmd("\"echo nada\""));
  EXPECT_EQ(automation::ReadChildOutput(), "");
}

TEST_F(AutomationProcess, ParametersKeepQuotedWords) {
  using platform::process::SplitParameters;
  EXPECT_EQ(SplitParameters("-a  \"b c\" d"), (std::vector<std::string>{"-a", "b c", "d"}));
  EXPECT_EQ(SplitParameters(""), std::vector<std::string>{});
  EXPECT_EQ(SplitParameters("\"\""), std::vector<std::string>{""});
}

TEST_F(AutomationProcess, ExisteprogFindsRunningProgramsInAnyCase) {
  ASSERT_TRUE(automation::CmdExecuta("\"cat\" &&&"));
  struct Case {
    const char* name;
    const char* expected;
  } cases[] = {
      {"\"cat\"", "1"}, {"\"CAT\"", "1"}, {"\"Cat.exe\"", "1"}, {"\"/usr/bin/cat\"", "1"},
      {"\"/USR/BIN/CAT\"", "1"}, {"\"nao-existe-programa\"", "0"}, {"\"ca\"", "0"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(automation::CmdExisteprog(std::string(c.name) + " V")) << c.name;
    EXPECT_EQ(interp::Variable('V'), c.expected) << c.name;
  }
  EXPECT_FALSE(automation::CmdExisteprog("\"cat\""));
}

TEST_F(AutomationProcess, EsperaForms) {
  int64_t start = platform::NowMs();
  EXPECT_TRUE(automation::CmdEspera("2"));
  EXPECT_EQ(platform::NowMs() - start, 2000);
  EXPECT_TRUE(automation::CmdEspera("MS 250"));
  EXPECT_EQ(platform::NowMs() - start, 2250);
  EXPECT_TRUE(automation::CmdEspera("90"));
  EXPECT_EQ(platform::NowMs() - start, 92250);
  EXPECT_EQ(data::IoStatus(), 0);
  // A title fragment with no time to wait: status 1 at once.
  EXPECT_TRUE(automation::CmdEspera("0 \"AGENDA\""));
  EXPECT_EQ(data::IoStatus(), 1);
  EXPECT_FALSE(automation::CmdEspera(""));
  EXPECT_FALSE(automation::CmdEspera("dois"));
}

}  // namespace
