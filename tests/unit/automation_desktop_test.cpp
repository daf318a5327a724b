// Scripts driving another program on a real desktop: Xvfb with openbox and
// the GTK test program, which reports the keys, text, clicks and clipboard
// it gets. Each script runs through the real tessel binary.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/desktop/desktop.h"
// Last: it brings the X headers.
#include "desktop_support.h"

namespace {

using desktop_support::Desktop;
using desktop_support::Process;
using desktop_support::RunTessel;
using namespace std::chrono_literals;

class AutomationDesktop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!desktop_support::Installed("Xvfb") || !desktop_support::Installed("openbox"))
      GTEST_SKIP() << "Xvfb and openbox are needed";
    desktop_ = std::make_unique<Desktop>();
    ASSERT_TRUE(desktop_->ready()) << "the desktop did not come up";
  }
  void TearDown() override {
    probes_.clear();
    desktop_.reset();
  }

  // Starts the test program with `title` and waits until it has the focus.
  Process& StartProbe(const std::string& title, const std::vector<std::string>& options = {}) {
    std::vector<std::string> argv{DESKTOP_PROBE};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back(title);
    probes_.push_back(std::make_unique<Process>(argv, desktop_->Environment()));
    Process& probe = *probes_.back();
    EXPECT_TRUE(probe.WaitLine("ready", 10s)) << "the test program did not come up";
    return probe;
  }

  std::unique_ptr<Desktop> desktop_;
  std::vector<std::unique_ptr<Process>> probes_;
};

TEST_F(AutomationDesktop, DigitaTypesAccentedTextIntoTheEntry) {
  // The Brazilian layout types "á" and "ã" with its dead keys and has "ç".
  ASSERT_TRUE(desktop_->layout_set());
  Process& probe = StartProbe("Sonda");
  auto run = RunTessel(*desktop_, "DIGITA \"Olá, ação\" &\n");
  EXPECT_EQ(run.exit_code, 0) << run.screen;
  EXPECT_TRUE(probe.WaitLine("text Olá, ação", 5s));
}

TEST_F(AutomationDesktop, DigitaTypesWhatTheLayoutLacks) {
  // The US layout has neither the accented letters nor dead keys for them.
  probes_.clear();
  desktop_ = std::make_unique<Desktop>("us");
  ASSERT_TRUE(desktop_->ready());
  Process& probe = StartProbe("Sonda");
  auto run = RunTessel(*desktop_, "DIGITA \"Olá, ação ÿ\" &\n");
  EXPECT_EQ(run.exit_code, 0) << run.screen;
  EXPECT_TRUE(probe.WaitLine("text Olá, ação ÿ", 5s));
}

TEST_F(AutomationDesktop, DigitaEndsWithEnterUnlessAsked) {
  Process& probe = StartProbe("Sonda");
  // A tab in the text goes out as Ctrl+I.
  auto run = RunTessel(*desktop_, "DIGITA \"o\tk\"\n");
  EXPECT_EQ(run.exit_code, 0) << run.screen;
  EXPECT_TRUE(probe.WaitLine("key i c", 5s));
  EXPECT_TRUE(probe.WaitLine("text ok", 5s));
  EXPECT_TRUE(probe.WaitLine("key Return -", 5s));
}

TEST_F(AutomationDesktop, AcionaSendsCombinationsAndNamedKeys) {
  Process& probe = StartProbe("Sonda");
  auto run = RunTessel(*desktop_,
                       "ACIONA \"ctrl+shift+s\"\nACIONA \"F5\"\nACIONA \"alt+home\"\nACIONA \"x\"\nACIONA \"X\"\n"
                       "ACIONA \"#117\"\nACIONA \"ctrl+.\"\n");
  EXPECT_EQ(run.exit_code, 0) << run.screen;
  EXPECT_TRUE(probe.WaitLine([](const std::string& line) { return line == "key S cs" || line == "key s cs"; }, 5s));
  EXPECT_TRUE(probe.WaitLine("key F5 -", 5s));
  EXPECT_TRUE(probe.WaitLine("key Home a", 5s));
  // One character is tapped as its bare key, without Shift.
  EXPECT_TRUE(probe.WaitLine("key x -", 5s));
  EXPECT_TRUE(probe.WaitLine("key x -", 5s));
  // A virtual-key number; "." is virtual key 46, the Delete key.
  EXPECT_TRUE(probe.WaitLine("key F6 -", 5s));
  EXPECT_TRUE(probe.WaitLine("key Delete c", 5s));
}

TEST_F(AutomationDesktop, AcionaRefusesUnknownKeysAndWrongOrder) {
  for (const char* key : {"F13", "shift+ctrl+x", "ctrl+"}) {
    auto run = RunTessel(*desktop_, std::string("ACIONA \"") + key + "\"\nESCREVE \"seguiu\"\n");
    EXPECT_NE(run.screen.find("Erro de execu"), std::string::npos) << key;
    EXPECT_EQ(run.screen.find("seguiu"), std::string::npos) << key;
  }
}

TEST_F(AutomationDesktop, ClicaHitsTheButtonOnScreenAndInTheWindow) {
  Process& probe = StartProbe("Sonda");
  probe.Send("where button");
  std::string line;
  ASSERT_TRUE(probe.WaitLine([](const std::string& l) { return l.rfind("button ", 0) == 0; }, 5s, &line));
  int x = 0, y = 0;
  ASSERT_EQ(sscanf(line.c_str(), "button %d %d", &x, &y), 2);
  auto run = RunTessel(*desktop_, "CLICA TELA " + std::to_string(x) + ", " + std::to_string(y) + "\n");
  EXPECT_EQ(run.exit_code, 0) << run.screen;
  EXPECT_TRUE(probe.WaitLine("clicked", 5s));

  // Relative to the window: its inner left edge and 4 pixels below its top.
  setenv("DISPLAY", desktop_->display_name().c_str(), 1);
  int left = 0, top = 0, width = 0, height = 0, border = 0;
  ASSERT_TRUE(platform::desktop::ForegroundFrame(left, top, width, height, &border));
  platform::desktop::Close();
  unsetenv("DISPLAY");
  std::string relative = std::to_string(x - left - border) + "," + std::to_string(y - top - 4);
  run = RunTessel(*desktop_, "CLICA DUPLO " + relative + "\nCLICA NULO 0,0\nCLICA 1,2 sobra\n");
  // The double click lands on the button. (GTK may fold its second click
  // into the first on a loaded machine, so only one is required.)
  EXPECT_TRUE(probe.WaitLine("clicked", 5s));
  // Text after y: the click happens, the command fails.
  EXPECT_NE(run.screen.find("Erro de execu"), std::string::npos);
}

TEST_F(AutomationDesktop, JanelaMatchesUpperCasedTitlesWithAnchors) {
  StartProbe("Minha agenda antiga");
  StartProbe("Agenda");
  StartProbe("Outra");
  auto run = RunTessel(*desktop_,
                       "JANELA MAXIMIZA \"AGENDA*\"\nCHECA S\nESCREVE S\n"
                       "JANELA MAXIMIZA \"agenda\"\nCHECA S\nESCREVE S\n"
                       "JANELA PISCA \"NADA\"\nCHECA S\nESCREVE S\n"
                       "ESPERA 5 \"AGENDA\"\nCHECA S\nESCREVE S\n"
                       "CAPTURA TITULO T\nESCREVE T\n"
                       "JANELA PISCA \"OUTRA\"\n");
  EXPECT_EQ(run.screen.rfind("0\n1\n1\n0\nAgenda\n", 0), 0u) << run.screen;
  // An unknown action on a window that matches fails.
  EXPECT_NE(run.screen.find("Erro de execu"), std::string::npos) << run.screen;
  unsigned long agenda = desktop_->WindowTitled("Agenda");
  unsigned long old = desktop_->WindowTitled("Minha agenda antiga");
  ASSERT_NE(agenda, 0u);
  EXPECT_TRUE(desktop_->HasState(agenda, "_NET_WM_STATE_MAXIMIZED_VERT"));
  EXPECT_FALSE(desktop_->HasState(old, "_NET_WM_STATE_MAXIMIZED_VERT"));
}

TEST_F(AutomationDesktop, JanelaMinimisesAndShowsAMinimisedWindowAgain) {
  StartProbe("Outra");
  auto run = RunTessel(*desktop_, "JANELA MINIMIZA \"OUTRA\"\n");
  unsigned long window = desktop_->WindowTitled("Outra");
  ASSERT_NE(window, 0u);
  EXPECT_TRUE(desktop_support::WaitUntil([&] { return desktop_->HasState(window, "_NET_WM_STATE_HIDDEN"); }, 5s));
  run = RunTessel(*desktop_, "JANELA NORMAL \"OUTRA\"\nCHECA S\nESCREVE S\n");
  EXPECT_EQ(run.screen.rfind("0\n", 0), 0u) << run.screen;
  EXPECT_TRUE(desktop_support::WaitUntil([&] { return !desktop_->HasState(window, "_NET_WM_STATE_HIDDEN"); }, 5s));
}

TEST_F(AutomationDesktop, ClipboardRoundTripWithAnotherProgram) {
  Process& probe = StartProbe("Sonda");
  // The script offers a text, waits for the other program to say (by its
  // title) that it took it and put its own, then reads that back.
  std::string script =
      "SEJA V = \"Olá de Tessel\"\nTRANSFERE DE V\nESPERA 8 \"COPIADO\"\nCHECA S\nESCREVE S\n"
      "TRANSFERE PARA W\nESCREVE W\n";
  std::unique_ptr<desktop_support::Run> result;
  std::thread runner([&] { result = std::make_unique<desktop_support::Run>(RunTessel(*desktop_, script)); });
  bool taken = false;
  for (int i = 0; i < 40 && !taken; ++i) {
    probe.Send("clip-get");
    std::string line;
    if (probe.WaitLine([](const std::string& l) { return l.rfind("clip ", 0) == 0; }, 2s, &line))
      taken = line == "clip Olá de Tessel";
    if (!taken) std::this_thread::sleep_for(100ms);
  }
  probe.Send("clip-set Resposta ção");
  probe.WaitLine("clip-set", 5s);
  probe.Send("title Copiado");
  runner.join();
  EXPECT_TRUE(taken);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->screen.rfind("0\nResposta ção\n", 0), 0u) << result->screen;
}

TEST_F(AutomationDesktop, JanelaFechaClosesAndGivesUpOnRefusal) {
  Process& willing = StartProbe("Fechar");
  Process& stubborn = StartProbe("Teimoso", {"--refuse-close"});
  auto start = desktop_support::Clock::now();
  auto run = RunTessel(*desktop_, "JANELA FECHA \"TEIMOSO\"\nJANELA FECHA \"FECHAR\"\nESCREVE \"fim\"\n",
                       "[MIRANE]\nTIMEOUT_REDE=1\n");
  auto took = desktop_support::Clock::now() - start;
  EXPECT_EQ(run.screen.rfind("fim\n", 0), 0u) << run.screen;
  EXPECT_TRUE(stubborn.WaitLine("close-refused", 1s));
  EXPECT_LT(took, 8s);
  EXPECT_TRUE(desktop_support::WaitUntil([&] { return willing.Ended(); }, 5s));
  EXPECT_FALSE(stubborn.Ended());
}

TEST_F(AutomationDesktop, CapturaCampoReadsTheFieldAndGivesTheClipboardBack) {
  Process& probe = StartProbe("Sonda");
  probe.Send("clip-set do usuário");
  ASSERT_TRUE(probe.WaitLine("clip-set", 5s));
  auto run = RunTessel(*desktop_,
                       "DIGITA \"texto do campo\" &\nCAPTURA CAMPO C\nESCREVE C\nTRANSFERE PARA W\nESCREVE W\n");
  EXPECT_EQ(run.screen.rfind("texto do campo\ndo usuário\n", 0), 0u) << run.screen;
}

TEST_F(AutomationDesktop, WaitsForTitlesEndOnCtrlBreak) {
  StartProbe("Sonda");
  auto start = desktop_support::Clock::now();
  auto run = RunTessel(*desktop_, "ESPERA 30 \"NUNCA\"\nESCREVE \"seguiu\"\n", "", "{wait 300}{Break}");
  EXPECT_EQ(run.exit_code, 255);
  EXPECT_LT(desktop_support::Clock::now() - start, 8s);
  // A title that shows up ends the wait; one that does not sets the status.
  run = RunTessel(*desktop_, "ESPERA 3 \"SOND\"\nCHECA S\nESCREVE S\nESPERA 1 \"NUNCA\"\nCHECA S\nESCREVE S\n");
  EXPECT_EQ(run.screen.rfind("0\n1\n", 0), 0u) << run.screen;
}

class AutomationAccessibility : public AutomationDesktop {
 protected:
  void SetUp() override {
    if (!desktop_support::Installed("Xvfb") || !desktop_support::Installed("openbox") ||
        !desktop_support::Installed("dbus-run-session"))
      GTEST_SKIP() << "Xvfb, openbox and dbus are needed";
    desktop_ = std::make_unique<Desktop>("us", true);
    ASSERT_TRUE(desktop_->ready()) << "the desktop did not come up";
  }
};

TEST_F(AutomationAccessibility, ChecaFollowsTheFocusAndReadsTheFocusedObject) {
  Process& probe = StartProbe("Sonda");
  probe.Send("check");
  ASSERT_TRUE(probe.WaitLine("check 1", 5s));
  // Before monitoring nothing is queued; then the focus moves to the
  // ticked check box with Tab.
  auto run = RunTessel(*desktop_,
                       "MSAA CHECA V\nESCREVE V\nMSAA MONITORA\nACIONA \"tab\"\nSEJA N 0\nMSAA CHECA V\n"
                       "ENQUANTO V = \"0\"\nSOMA N 1\nSE N > 200000\nTERMINA\nFIM SE\nMSAA CHECA V\nFIM ENQUANTO\n"
                       "ESCREVE V\nMSAA NOME X\nESCREVE X\nMSAA ESTADO X\nESCREVE X\nMSAA CODIGO X\nESCREVE X\n"
                       "MSAA TIPO X\nESCREVE X\nMSAA FIM\n");
  EXPECT_EQ(run.screen.rfind("0\n1\nMarcar\nmarcado\n44\ncaixa de seleção\n", 0), 0u) << run.screen;
}

TEST_F(AutomationAccessibility, CapturaReadsTheObjectAtAPoint) {
  Process& probe = StartProbe("Sonda");
  probe.Send("disable button");
  ASSERT_TRUE(probe.WaitLine("disabled", 5s));
  probe.Send("where button");
  std::string line;
  ASSERT_TRUE(probe.WaitLine([](const std::string& l) { return l.rfind("button ", 0) == 0; }, 5s, &line));
  int x = 0, y = 0;
  ASSERT_EQ(sscanf(line.c_str(), "button %d %d", &x, &y), 2);
  std::string point = std::to_string(x) + " " + std::to_string(y);
  auto run = RunTessel(*desktop_,
                       "MSAA CAPTURA " + point +
                           "\nMSAA NOME X\nESCREVE X\nMSAA ESTADO X\nESCREVE X\nMSAA CODIGO X\nESCREVE X\n"
                           "MSAA AREA L T W H\nSE L < " + std::to_string(x) + "\nESCREVE \"dentro\"\nFIM SE\n"
                           "MSAA CAPTURA -5000 -5000\nMSAA NOME X\nSE X = \"\"\nESCREVE \"vazio\"\nFIM SE\nMSAA CODIGO X\nESCREVE X\n"
                           "MSAA AREA L T W H\nSE L < " + std::to_string(x) + "\nESCREVE \"mantida\"\nFIM SE\n");
  EXPECT_EQ(run.screen.rfind("Gravar\nindisponível\n43\ndentro\n", 0), 0u) << run.screen;
  EXPECT_NE(run.screen.find("\nvazio\n0\nmantida\n"), std::string::npos) << run.screen;
}

}  // namespace
