// Tried as a new user would: `tessel` with no argument, in the terminal back
// end inside a real terminal (tmux), asks for the script by voice, lists the
// scripts in the chooser and runs the one picked. The speech log of the run
// is kept under the build's test-artefacts/.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Single quotes for the shell.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class Tmux {
 public:
  explicit Tmux(const std::string& socket) : socket_(socket) {}
  ~Tmux() { Run("kill-server"); }
  Tmux(const Tmux&) = delete;
  Tmux& operator=(const Tmux&) = delete;
  bool Run(const std::string& arguments) {
    return std::system(("tmux -L " + socket_ + " " + arguments + " >/dev/null 2>&1").c_str()) == 0;
  }
  // What a tmux command prints (its first line).
  std::string Output(const std::string& arguments) {
    std::string text;
    if (std::FILE* pipe = popen(("tmux -L " + socket_ + " " + arguments + " 2>/dev/null").c_str(), "r")) {
      char buffer[256];
      if (std::fgets(buffer, sizeof buffer, pipe)) text = buffer;
      pclose(pipe);
    }
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }

 private:
  std::string socket_;
};

// Waits until the log holds `text` (the program writes it line by line),
// at most `seconds`.
bool LogReaches(const fs::path& log, const std::string& text, int seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (ReadText(log).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

TEST(NewUserTerminal, PromptChooserAndRun) {
  if (std::system("command -v tmux >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
  test_support::TempFolder folder;
  folder.Write("windows/MIRANE.INI", "[TESSEL]\r\nDIRDEFAULT=" + (folder.path() / "scripts").string() + "\r\n");
  folder.Write("scripts/alfa.cmd", "ESCREVE \"rodou alfa\"\r\n");
  folder.Write("scripts/beta.cmd", "ESCREVE \"rodou beta\"\r\n");
  folder.Write("scripts/notas.txt", "nada\r\n");
  fs::path log = folder.path() / "speech.log";
  std::string command = "env TESSEL_CONSOLE=terminal TESSEL_AUDIO=null TESSEL_LOG=" + Quoted(log.string()) +
                        " MIRANE_WINDIR=" + Quoted((folder.path() / "windows").string()) + " " +
                        Quoted(TESSEL_BINARY);
  Tmux tmux("tessel-new-user-" + std::to_string(getpid()));
  ASSERT_TRUE(tmux.Run("new-session -d -s user -x 80 -y 25 -c " + Quoted(folder.path().string()) +
                       " " + Quoted(command)));
  // A key pressed while the greeting is said silences it, as a user who
  // knows the program does; the field then takes the key (Home: nothing).
  if (LogReaches(log, "speak Tessel - v", 10)) tmux.Run("send-keys -t user Home");
  bool asked = LogReaches(log, "speak Nome do arquivo .CMD a executar: ", 10);
  // While the field waits for a key the terminal's cursor shows just after
  // the prompt (column 34 of row 3).
  std::string caret;
  for (int attempt = 0; asked && attempt < 100 && caret != "1 33 2"; ++attempt) {
    caret = tmux.Output("display-message -p -t user '#{cursor_flag} #{cursor_x} #{cursor_y}'");
    if (caret != "1 33 2") std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (asked) {
    tmux.Run("send-keys -t user '*.cmd' Enter");
    if (LogReaches(log, "speak alfa.cmd", 10)) {
      tmux.Run("send-keys -t user Down");
      if (LogReaches(log, "speak beta.cmd", 10)) tmux.Run("send-keys -t user Enter");
    }
  }
  bool ended = LogReaches(log, "exit 0", 10);
  if (!ended) tmux.Run("send-keys -t user C-c");  // Ctrl+C is Ctrl+Break in the terminal

  fs::path artefacts = fs::path(TESSEL_BINARY).parent_path().parent_path() / "test-artefacts";
  fs::create_directories(artefacts);
  fs::copy_file(log, artefacts / "new_user_terminal_speech.log", fs::copy_options::overwrite_existing);

  std::string heard = ReadText(log);
  EXPECT_TRUE(asked) << heard;
  EXPECT_EQ(caret, "1 33 2") << "the caret while the prompt waits: shown, column, row (from 0)";
  EXPECT_NE(heard.find("speak alfa.cmd"), std::string::npos) << heard;
  EXPECT_NE(heard.find("speak beta.cmd"), std::string::npos) << heard;
  EXPECT_EQ(heard.find("notas.txt"), std::string::npos) << "only scripts are offered";
  EXPECT_NE(heard.find("speak rodou beta"), std::string::npos) << heard;
  EXPECT_NE(heard.find("speak Fim do script"), std::string::npos) << heard;
  EXPECT_TRUE(ended) << heard;
}

}  // namespace

// A terminal of 80x20: Tessel says once that it is small; Ctrl+Alt+F11 says
// that Braille input needs the window instead of typing wrong characters.
TEST(NewUserTerminal, SmallTerminalAndBrailleKeys) {
  if (std::system("command -v tmux >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
  test_support::TempFolder folder;
  folder.Write("windows/MIRANE.INI", "");
  fs::path log = folder.path() / "speech.log";
  std::string command = "env TESSEL_CONSOLE=terminal TESSEL_AUDIO=null TESSEL_LOG=" + Quoted(log.string()) +
                        " MIRANE_WINDIR=" + Quoted((folder.path() / "windows").string()) + " " +
                        Quoted(TESSEL_BINARY);
  Tmux tmux("tessel-small-" + std::to_string(getpid()));
  ASSERT_TRUE(tmux.Run("new-session -d -s user -x 80 -y 20 -c " + Quoted(folder.path().string()) + " " +
                       Quoted(command)));
  if (LogReaches(log, "speak O terminal", 10)) tmux.Run("send-keys -t user Home");
  bool asked = LogReaches(log, "speak Nome do arquivo .CMD a executar: ", 10);
  bool refused = false;
  if (asked) {
    tmux.Run("send-keys -t user C-M-F11");
    refused = LogReaches(log, "speak A entrada Braille precisa da janela", 10);
  }
  tmux.Run("send-keys -t user Escape");
  bool ended = LogReaches(log, "exit 0", 10);
  if (!ended) tmux.Run("send-keys -t user C-c");
  std::string heard = ReadText(log);
  EXPECT_TRUE(asked) << heard;
  size_t small = heard.find("speak O terminal \xC3\xA9 menor que 80x25");
  EXPECT_NE(small, std::string::npos) << heard;
  EXPECT_EQ(heard.find("speak O terminal", small + 1), std::string::npos) << "said once";
  EXPECT_TRUE(refused) << heard;
  EXPECT_EQ(heard.find("tone 800"), std::string::npos) << "Braille mode stays off";
  EXPECT_TRUE(ended) << heard;
}
