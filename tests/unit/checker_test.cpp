// The script checker: one small script per report, a clean script, bad
// bytes, and the checker through the real binary (exit codes, what is
// written and said).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interpreter/checker.h"
#include "interpreter/interpreter.h"
#include "program_support.h"
#include "test_support.h"

namespace {

using test_support::HeadlessConsole;

class Checker : public testing::Test {
 protected:
  Checker() { interp::ResetInterpreterForTests(); }
  // The findings of a script, one "Linha N: ..." text each.
  std::vector<std::string> Check(const std::string& script, const std::string& label = "") {
    headless_.folder().Write("s.cmd", script);
    EXPECT_TRUE(interp::LoadScript((headless_.folder().path() / "s.cmd").string()));
    std::vector<std::string> texts;
    for (const interp::Finding& finding : interp::CheckLoadedScript(label)) texts.push_back(interp::FindingText(finding));
    return texts;
  }
  HeadlessConsole headless_;
};

TEST_F(Checker, EachReportHasItsScript) {
  struct Case {
    const char* what;
    const char* script;
    std::vector<std::string> findings;
  };
  const Case cases[] = {
      {"unknown word", "SEJA A 1\r\nESCREVA A\r\n", {"Linha 2: comando desconhecido: ESCREVA"}},
      {"unknown word after a one-line SE", "SE 1 = 1 FALAR \"x\"\r\n", {"Linha 1: comando desconhecido: FALAR"}},
      {"SE without FIM SE", "SE 1 = 1\r\nESCREVE \"a\"\r\n", {"Linha 1: SE sem FIM SE"}},
      {"ENQUANTO without FIM", "SEJA I 0\nENQUANTO I < 3\nSOMA I 1\n", {"Linha 2: ENQUANTO sem FIM ENQUANTO"}},
      {"REPETE without FIM", "REPETE I 3\nESCREVE I\n", {"Linha 1: REPETE sem FIM REPETE"}},
      {"FIM without block", "ESCREVE \"a\"\nFIM SE\nFIM REPETE\n",
       {"Linha 2: FIM SE sem SE", "Linha 3: FIM REPETE sem REPETE"}},
      {"block left open inside another", "REPETE I 2\nSE I = 1\nFIM REPETE\n", {"Linha 2: SE sem FIM SE"}},
      {"SENAO outside SE", "SEN\xC3O\nREPETE I 2\nSENAO\nFIM REPETE\n",
       {"Linha 1: SEN\xC3O fora de um SE", "Linha 3: SEN\xC3O fora de um SE"}},
      {"missing labels", "DESVIA @FIM\nCHAMA @ROTINA\nSE 1 = 1 DESVIA @NADA\n@fim\n",
       {"Linha 2: r\xF3tulo inexistente: @ROTINA", "Linha 3: r\xF3tulo inexistente: @NADA"}},
      {"label defined twice", "@INICIO\nESCREVE \"a\"\n@inicio\n", {"Linha 3: r\xF3tulo repetido: @inicio (j\xE1 na linha 1)"}},
      {"unterminated quote", "ESCREVE \"a\"\"b\"\nESCREVE \"sem fim\n", {"Linha 2: aspas sem fechar"}},
      {"REPETE in REPETE", "REPETE I 2\nREPETE J 2\nFIM REPETE\nFIM REPETE\n",
       {"Linha 2: REPETE dentro de REPETE (aberto na linha 1)"}},
      {"ENQUANTO in ENQUANTO", "ENQUANTO 1 = 2\nENQUANTO 2 = 3\nFIM ENQUANTO\nFIM ENQUANTO\n",
       {"Linha 2: ENQUANTO dentro de ENQUANTO (aberto na linha 1)"}},
      {"clean: nested SE, loops of different kinds, list condition, lower case",
       "* coment\xE1rio \"\n@IN\xCD" "CIO\nse 1 = 1\n  SE 2 = 2\n  sen\xE3o\n  FIM SE\nFIM SE\nREPETE I 2\nENQUANTO A = 1\n"
       "FIM ENQUANTO\nFIM REPETE\nSE A EM [nomes]\nFIM SE\nchama @in\xED" "cio\nRETORNA\n",
       {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Check(c.script), c.findings) << c.what;
}

TEST_F(Checker, StartLabel) {
  EXPECT_EQ(Check("@INICIO\nESCREVE \"a\"\n", "inicio"), std::vector<std::string>{});
  EXPECT_EQ(Check("@INICIO\n", "FIM"), std::vector<std::string>{"r\xF3tulo de in\xED" "cio inexistente: @FIM"});
}

TEST_F(Checker, AnyBytesAreRead) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
  Check(binary);
  const char kNuls[] = "SE \"\0\" = (1/0\0 DESVIA @\0\n";
  Check(std::string(kNuls, sizeof kNuls - 1));
  Check("ESCREVE \"" + std::string(1 << 20, 'x') + "\n");  // a 1 MB line
  Check(std::string(2000, '(') + "\n" + "SE " + std::string(2000, '(') + "\n");
}

// Runs the real binary headless with `arguments`, the log in `folder`.
int RunTessel(const std::vector<std::string>& arguments, const std::string& folder, std::string& output) {
  return test_support::RunProgram(arguments,
                                  {"TESSEL_CONSOLE=headless", "TESSEL_AUDIO=null", "MIRANE_WINDIR=" + folder,
                                   "TESSEL_LOG=" + folder + "/log.txt"},
                                  folder, output);
}

TEST(CheckerProgram, ExitCodesAndReports) {
  test_support::TempFolder folder;
  std::string dir = folder.path().string();
  folder.Write("bom.cmd", "SEJA A 1\r\nESCREVE A\r\n");
  folder.Write("ruim.cmd", "ESCREVE \"ol\xE1\"\r\nSE A = 1\r\nESCREVA A\r\n");
  std::string output;
  EXPECT_EQ(RunTessel({"--verifica", dir + "/bom.cmd"}, dir, output), 0);
  EXPECT_NE(output.find("Nenhum problema encontrado"), std::string::npos) << output;
  EXPECT_EQ(output.find("1\n"), std::string::npos) << "the script did not run: " << output;

  EXPECT_EQ(RunTessel({"--verifica", dir + "/ruim"}, dir, output), 1);  // .cmd found as for a run
  EXPECT_NE(output.find("Linha 2: SE sem FIM SE\nLinha 3: comando desconhecido: ESCREVA\n2 problemas encontrados"),
            std::string::npos)
      << output;
  std::string log = folder.Read("log.txt");
  EXPECT_NE(log.find("speak Linha 3: comando desconhecido: ESCREVA"), std::string::npos) << log;
  EXPECT_EQ(log.find("speak ol\xC3\xA1"), std::string::npos) << "the script did not run";

  EXPECT_EQ(RunTessel({"--verifica", dir + "/bom.cmd@NADA"}, dir, output), 1);
  EXPECT_EQ(RunTessel({"--verifica", dir + "/nenhum.cmd"}, dir, output), 1);
  EXPECT_NE(output.find("Arquivo .CMD inexistente"), std::string::npos) << output;
}

}  // namespace
