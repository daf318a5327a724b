// The script authors' guide (docs/guia.md): every example script (a
// "tessel" block, the keys typed in a "teclas" block when it reads any, then
// a "tela" block) runs through the real binary in
// headless mode, and the screen must show exactly the "tela" block (the
// closing "Fim do script" aside), so the guide cannot drift from the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "program_support.h"
#include "test_support.h"

namespace {

struct Example {
  std::string script, keys, screen;
  int line;  // of the script block in the guide
};

// The text of the fenced block of kind `kind` starting at `from`; npos when
// there is none.
size_t FindBlock(const std::string& text, const std::string& kind, size_t from, std::string& block) {
  std::string fence = "```" + kind + "\n";
  size_t start = text.find(fence, from);
  if (start == std::string::npos) return std::string::npos;
  size_t body = start + fence.size();
  size_t end = text.find("```", body);
  if (end == std::string::npos) return std::string::npos;
  block = text.substr(body, end - body);
  return start;
}

std::vector<Example> Examples(const std::string& guide) {
  std::vector<Example> examples;
  size_t at = 0;
  std::string script, screen;
  while ((at = FindBlock(guide, "tessel", at, script)) != std::string::npos) {
    size_t shown = FindBlock(guide, "tela", at, screen);
    EXPECT_NE(shown, std::string::npos) << "an example without its screen";
    if (shown == std::string::npos) break;
    int line = 1 + static_cast<int>(std::count(guide.begin(), guide.begin() + static_cast<long>(at), '\n'));
    // The keys the user types, when the example reads any: a "teclas" block
    // between the script and its screen. Otherwise one Enter.
    std::string keys;
    size_t typed = FindBlock(guide, "teclas", at, keys);
    if (typed == std::string::npos || typed > shown) keys = "{Enter}";
    while (!keys.empty() && keys.back() == '\n') keys.pop_back();
    examples.push_back({script, keys, screen, line});
    at = shown;
  }
  return examples;
}

TEST(Guide, EveryExampleShowsWhatTheGuideSays) {
  std::ifstream in(std::string(TESSEL_SOURCE_DIR) + "/docs/guia.md", std::ios::binary);
  std::string guide((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(guide.empty());
  std::vector<Example> examples = Examples(guide);
  EXPECT_FALSE(examples.empty()) << "no example found in the guide";
  test_support::TempFolder folder;
  std::string dir = folder.path().string();
  // The examples' files are made in the folder: it is the programs' current
  // folder for the run.
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  for (const Example& example : examples) {
    folder.Write("exemplo.cmd", example.script);  // UTF-8, as an author's editor saves it
    folder.Write("keys.txt", example.keys);
    std::string output;
    test_support::RunProgram({dir + "/exemplo.cmd"},
                             {"TESSEL_CONSOLE=headless", "TESSEL_AUDIO=null", "MIRANE_WINDIR=" + dir,
                              "TESSEL_SCREEN=" + dir + "/screen.txt", "TESSEL_KEYS=" + dir + "/keys.txt"},
                             dir, output);
    std::string screen = folder.Read("screen.txt");
    while (!screen.empty() && screen.back() == '\n') screen.pop_back();
    const std::string end = "\nFim do script";
    if (screen.size() >= end.size() && screen.compare(screen.size() - end.size(), end.size(), end) == 0)
      screen.resize(screen.size() - end.size());
    EXPECT_EQ(screen + "\n", example.screen) << "the example at line " << example.line << " of docs/guia.md";
  }
  std::filesystem::current_path(before);
}

}  // namespace
