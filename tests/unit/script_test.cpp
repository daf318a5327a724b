// The script store and the run loop: loading, line ends, encodings,
// scrambled scripts, labels, single-line refusals and result codes.
#include <gtest/gtest.h>

#include "interpreter/commands.h"
#include "interpreter/interpreter.h"
#include "interpreter/scramble.h"
#include "test_support.h"

namespace {

using test_support::HeadlessConsole;

class Script : public testing::Test {
 protected:
  Script() { interp::ResetInterpreterForTests(); }
  std::string Write(const std::string& name, const std::string& contents) {
    headless_.folder().Write(name, contents);
    return (headless_.folder().path() / name).string();
  }
  HeadlessConsole headless_;
};

TEST_F(Script, LineEndsAndTrimming) {
  std::string name = Write("s.cmd", "  one  \r\ntwo\n\tthree\x01\rfour\r\n\r\n");
  ASSERT_TRUE(interp::LoadScript(name));
  ASSERT_EQ(interp::LineCount(), 5);  // blank lines count, so numbers match the file
  EXPECT_EQ(interp::Line(1), "one");
  EXPECT_EQ(interp::Line(3), "three");
  EXPECT_EQ(interp::Line(4), "four");
  EXPECT_EQ(interp::Line(5), "");
  EXPECT_EQ(interp::Line(6), "");  // outside the script
}

TEST_F(Script, MissingScriptLeavesTheStore) {
  ASSERT_TRUE(interp::LoadScript(Write("s.cmd", "a\nb\n")));
  EXPECT_FALSE(interp::LoadScript(Write("x", "") + ".missing"));
  EXPECT_FALSE(interp::LoadScript(headless_.folder().path().string()));  // a folder
  EXPECT_FALSE(interp::LoadScript("/dev/zero"));                         // a device never ends
  EXPECT_EQ(interp::LineCount(), 2);
}

TEST_F(Script, Utf8ScriptsBecomeLatin1) {
  ASSERT_TRUE(interp::LoadScript(Write("u.cmd", "ESCREVE \"a\xC3\xA7\xC3\xA3o\"\n")));
  EXPECT_EQ(interp::Line(1), "ESCREVE \"a\xE7\xE3o\"");
  ASSERT_TRUE(interp::LoadScript(Write("b.cmd", "\xEF\xBB\xBFTERMINA\n")));  // byte-order mark
  EXPECT_EQ(interp::Line(1), "TERMINA");
  ASSERT_TRUE(interp::LoadScript(Write("l.cmd", "ESCREVE \"a\xE7\xE3o\"\n")));  // already Latin-1
  EXPECT_EQ(interp::Line(1), "ESCREVE \"a\xE7\xE3o\"");
}

TEST_F(Script, CanonicalForm) {
  ASSERT_TRUE(interp::LoadScript(Write("c.cmd", "  fim    se  \nsen\xE3o\nA\t  b\n")));
  EXPECT_EQ(interp::CanonicalLine(1), "FIM SE");
  EXPECT_EQ(interp::CanonicalLine(2), "SEN\xC3O");
  EXPECT_EQ(interp::CanonicalLine(3), "A\t B");  // tabs are not touched
}

TEST_F(Script, LongScriptsAreKeptWhole) {
  std::string text;
  for (int i = 1; i <= 6000; ++i) text += "* line " + std::to_string(i) + "\n";
  ASSERT_TRUE(interp::LoadScript(Write("long.cmd", text)));
  EXPECT_EQ(interp::LineCount(), 6000);
  EXPECT_EQ(interp::Line(6000), "* line 6000");
}

TEST_F(Script, FindLabelComparesUpperCased) {
  ASSERT_TRUE(interp::LoadScript(Write("l.cmd", "x\n@in\xED" "cio\n@FIM\n@fim\n")));
  EXPECT_TRUE(interp::FindLabel("IN\xCD" "CIO"));
  EXPECT_EQ(interp::ProgramCounter(), 2);
  EXPECT_TRUE(interp::FindLabel("fim"));
  EXPECT_EQ(interp::ProgramCounter(), 3);  // the first match
  EXPECT_FALSE(interp::FindLabel("OUTRO"));
  EXPECT_EQ(interp::ProgramCounter(), 3);  // unchanged
}

TEST_F(Script, ScrambledScriptRunsAsThePlainOne) {
  const std::string lines[] = {"ESCREVE \"Ol\xE1, mundo! (1 + 2) * 3\"", "@FIM", "", "SE $X_1 <> \"[a]\" DESVIA @FIM"};
  std::string scrambled;
  for (const std::string& line : lines) {
    std::string s = interp::ScrambleLine(line);
    if (!line.empty()) {
      EXPECT_NE(s, line);
    }
    EXPECT_EQ(interp::UnscrambleLine(s), line);
    scrambled += s + "\r\n";
  }
  ASSERT_TRUE(interp::LoadScript(Write("secret.crp", scrambled)));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(interp::Line(i + 1), lines[i]);
  // The same bytes under a plain name are not unscrambled.
  ASSERT_TRUE(interp::LoadScript(Write("secret.cmd", scrambled)));
  EXPECT_NE(interp::Line(1), lines[0]);
}

// A scrambled file whose bytes happen to be valid UTF-8 is unscrambled as
// it stands, and a script written in UTF-8 and then scrambled still becomes
// Latin-1.
TEST_F(Script, ScrambledBytesAreNotTakenForUtf8) {
  char maps_to_c3 = 0;
  for (int c = 33; c < 127; ++c)
    if (interp::ScrambleLine(std::string(1, static_cast<char>(c))) == "\xC3") maps_to_c3 = static_cast<char>(c);
  ASSERT_NE(maps_to_c3, 0);
  std::string plain = std::string("\xA7") + maps_to_c3;  // scrambled: C3 A7, UTF-8 for a c-cedilla
  ASSERT_EQ(interp::ScrambleLine(plain), "\xC3\xA7");
  ASSERT_TRUE(interp::LoadScript(Write("utf.crp", interp::ScrambleLine(plain) + "\r\n")));
  EXPECT_EQ(interp::Line(1), plain);
  ASSERT_TRUE(interp::LoadScript(Write("src.crp", interp::ScrambleLine("ESCREVE \"a\xC3\xA7\xC3\xA3o\"") + "\n")));
  EXPECT_EQ(interp::Line(1), "ESCREVE \"a\xE7\xE3o\"");
}

TEST_F(Script, RunResults) {
  struct Case { const char* script; const char* label; int code; int line; };
  const Case cases[] = {
      {"* only comments\n@L\n\n", "", interp::kRunEnded, 0},
      {"DEBUG -\nNAOEXISTE\nDEBUG\n", "", interp::kRunFailed, 2},
      {"DEBUG -\nDEBUG -\nFOO", "", interp::kRunFailed, 3},  // failing last line
      {"TERMINA\nFOO\n", "", interp::kRunEnded, 0},
      {"FOO\n@fim\nDEBUG -\n", "FIM", interp::kRunEnded, 0},
      {"DEBUG -\n", "NADA", interp::kRunNoLabel, 0},
  };
  for (const Case& c : cases) {
    interp::RunResult result = interp::RunScript(Write("r.cmd", c.script), c.label);
    EXPECT_EQ(result.code, c.code) << c.script;
    if (c.code == interp::kRunFailed) {
      EXPECT_EQ(result.line, c.line) << c.script;
    }
    EXPECT_EQ(interp::LineCount(), 0);  // the store is emptied after a run
  }
  EXPECT_EQ(interp::RunScript(Write("r.cmd", "") + "x", "").code, interp::kRunUnreadable);
}

TEST_F(Script, SingleLineModeRefusesBlockWords) {
  for (const char* line : {"REPETE I 3", "enquanto a = b", "SENAO", "sen\xE3o", "FIM SE"}) {
    EXPECT_FALSE(interp::RunLine(line)) << line;
    EXPECT_FALSE(interp::ErrorFlag()) << line;  // the error flag is not changed
  }
  EXPECT_TRUE(interp::RunLine("  * comment"));
  EXPECT_TRUE(interp::RunLine("@label"));
  EXPECT_TRUE(interp::RunLine(""));
  EXPECT_TRUE(interp::RunLine("debug -"));
}

TEST_F(Script, UnknownWordsFailWithTheirMessage) {
  EXPECT_FALSE(interp::ExecuteLine("LEIA x", false));
  EXPECT_TRUE(interp::ErrorFlag());
  std::string row = console::ScreenRow(1);
  EXPECT_EQ(row.substr(0, row.find_last_not_of(' ') + 1), "Comando inv\xE1lido: LEIA");
  EXPECT_EQ(interp::CurrentCommandWord(), "LEIA");
}

TEST(CommandTable, HoldsEveryWordOnce) {
  int count = 0;
  const interp::Command* table = interp::CommandTable(count);
  EXPECT_EQ(count, 87);
  for (int i = 0; i < count; ++i)
    for (int j = i + 1; j < count; ++j) EXPECT_STRNE(table[i].word, table[j].word);
  EXPECT_EQ(std::string(table[0].word), "MIDI");
  EXPECT_EQ(std::string(table[count - 1].word), "DECODBASE64");
}

TEST(CommandTable, EnsaioLacksTwoWords) {
  interp::SetBuild(interp::Build::Ensaio);
  bool termina = interp::FindCommand("TERMINA") != nullptr;
  interp::SetBuild(interp::Build::Tessel);
  EXPECT_TRUE(termina);
  // ENVIACMD and HTAMARQ, once built, are still unknown in the Ensaio build.
  interp::SetBuild(interp::Build::Ensaio);
  EXPECT_EQ(interp::FindCommand("ENVIACMD"), nullptr);
  EXPECT_EQ(interp::FindCommand("HTAMARQ"), nullptr);
  interp::SetBuild(interp::Build::Tessel);
}

}  // namespace
