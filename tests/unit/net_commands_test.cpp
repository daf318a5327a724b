// The network commands through the real tessel binary, against peers on
// loopback started by each test: line traffic both ways, quiet status
// codes, OBSERVA, IP, TLS with verification and the server name, and the
// waits that Ctrl+Break ends.
#include <gtest/gtest.h>

#include "http_test_server.h"
#include "net_support.h"
#include "test_support.h"

namespace {

using namespace net_support;

std::string Quote(uint16_t port) { return "\"" + std::to_string(port) + "\""; }

class NetCommands : public ::testing::Test {
 protected:
  test_support::TempFolder folder_;
  TesselRun RunScript(const std::string& script, const std::string& keys = "", const std::string& ini = "",
                const std::vector<std::string>& environment = {}) {
    return RunTessel(folder_.path(), script, keys, ini, environment);
  }
};

TEST_F(NetCommands, ConectaSendsAndReceivesLines) {
  std::string heard;
  Server server([&](int fd) {
    ReceiveLine(fd, heard);
    SendText(fd, "resposta\r\n");
  });
  TesselRun run = RunScript("INTERNET INICIA\n"
                      "CONECTA #1 \"127.0.0.1\" " + Quote(server.port()) + "\n"
                      "ESCREVE #1 \"ol\xE1 servidor\"\n"
                      "CHECA S\n"
                      "LE #1 L\n"
                      "CHECA T\n"
                      "LE #1 M\n"
                      "CHECA U\n"
                      "ESCREVE \"[\" S \"][\" L \"][\" T \"][\" M \"][\" U \"]\"\n"
                      "FECHA #1\n"
                      "INTERNET TERMINA\n");
  EXPECT_EQ(run.exit_code, 0) << run.screen;
  EXPECT_EQ(heard, "ol\xE1 servidor");
  EXPECT_TRUE(run.ScreenHas("[1][resposta][0][][1]")) << run.screen;
}

TEST_F(NetCommands, ServeTakesOneClient) {
  uint16_t port = ClosedPort();
  std::string heard;
  std::thread client([&] {
    int fd = ConnectLoopback(port);
    if (fd < 0) return;
    SendText(fd, "do cliente\r\n");
    ReceiveLine(fd, heard);
    close(fd);
  });
  TesselRun run = RunScript("SERVE #2 " + Quote(port) + "\n"
                      "LE #2 L\n"
                      "ESCREVE #2 \"do servidor\"\n"
                      "IP LOCAL #2 A\n"
                      "IP REMOTO #2 B\n"
                      "ESCREVE \"[\" L \"][\" A \"][\" B \"]\"\n"
                      "FECHA #2\n");
  client.join();
  EXPECT_EQ(run.exit_code, 0) << run.screen;
  EXPECT_EQ(heard, "do servidor");
  EXPECT_TRUE(run.ScreenHas("[do cliente][127.0.0.1][127.0.0.1]")) << run.screen;
}

TEST_F(NetCommands, QuietConectaSetsTheStatus) {
  Server server([](int) {});
  TesselRun run = RunScript("CONECTA #1 \"127.0.0.1\" \"abc\" &\nCHECA A\n"
                      "CONECTA #1 \"127.0.0.1\" " + Quote(ClosedPort()) + " &\nCHECA B\n"
                      "CONECTA #1 \"127.0.0.1\" " + Quote(server.port()) + " &\nCHECA C\n"
                      "CONECTA #1 \"127.0.0.1\" &\nCHECA D\n"
                      "ESCREVE A B C D\n");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.ScreenHas("2101")) << run.screen;
}

TEST_F(NetCommands, LoudFailuresAreSaidAndStopTheScript) {
  struct Case {
    std::string line, message;
  } cases[] = {
      {"CONECTA #1 \"127.0.0.1\" \"abc\"", "Erro na porta TCP/IP"},
      {"CONECTA #1 \"127.0.0.1\" \"70000\"", "Erro na porta TCP/IP"},
      {"CONECTA #1 \"127.0.0.1\" " + Quote(ClosedPort()), "Erro de conexao"},
      {"CONECTA #1 \"host.invalid\" \"80\"", "Erro de conexao"},
      {"SERVE #1 \"abc\"", "Erro na porta TCP/IP"},
      {"SERVE #1", "Erro de conexao"},
  };
  for (const Case& c : cases) {
    TesselRun run = RunScript(c.line + "\nESCREVE \"depois\"\n", "{Enter}");
    EXPECT_TRUE(run.LogHas("speak " + c.message)) << c.line << "\n" << run.log;
    EXPECT_TRUE(run.ScreenHas("Erro de execu\xC3\xA7\xC3\xA3o na linha")) << c.line;
    EXPECT_FALSE(run.ScreenHas("depois")) << c.line;
  }
}

TEST_F(NetCommands, ObservaTellsWhetherDataOrKeysWait) {
  Server server([](int fd) {
    std::string line;
    if (ReceiveLine(fd, line)) SendText(fd, "pronto\r\n");
    ReceiveLine(fd, line);
  });
  test_support::TempFolder files;
  TesselRun run = RunScript("CONECTA #1 \"127.0.0.1\" " + Quote(server.port()) + "\n"
                      "OBSERVA #1 A\n"
                      "ESCREVE #1 \"manda\"\n"
                      "OBSERVA #1 B\n"
                      "LE #1 L\n"
                      "OBSERVA #1 C\n"
                      "ABRE #3 \"test.cmd\"\n"
                      "OBSERVA #3 D\n"
                      "OBSERVA #5 E\n"
                      "OBSERVA TECLADO F\n"
                      "LE K &\n"
                      "OBSERVA TECLADO G\n"
                      "ESCREVE A B C D E F G \" \" L\n"
                      "FECHA #1\n",
                      "{wait 0}x", "[MIRANE]\nTIMEOUT_REDE=1000000\n");
  EXPECT_EQ(run.exit_code, 0) << run.screen;
  EXPECT_TRUE(run.ScreenHas("0100010 pronto")) << run.screen;
}

TEST_F(NetCommands, IpNeedsANetworkSlot) {
  TesselRun run = RunScript("IP LOCAL #4 A\n", "{Enter}");
  EXPECT_TRUE(run.ScreenHas("Erro de execu\xC3\xA7\xC3\xA3o na linha 1")) << run.screen;
  run = RunScript("IP DE #4 A\n", "{Enter}");
  EXPECT_TRUE(run.ScreenHas("Erro de execu\xC3\xA7\xC3\xA3o na linha 1")) << run.screen;
  run = RunScript("INTERNET COMECA\n", "{Enter}");
  EXPECT_TRUE(run.ScreenHas("Erro de execu\xC3\xA7\xC3\xA3o na linha 1")) << run.screen;
}

TEST_F(NetCommands, HttpEncodesAVariableInPlace) {
  TesselRun run = RunScript("SEJA X \"a b&c\xE7\"\nHTTP X\nESCREVE X\nHTTP \"texto\"\n", "{Enter}");
  EXPECT_TRUE(run.ScreenHas("a%20b%26c%E7")) << run.screen;
  EXPECT_TRUE(run.ScreenHas("Erro de execu\xC3\xA7\xC3\xA3o na linha 4")) << run.screen;
}

// Waits on the network end on Ctrl+Break: an accept that nobody answers, a
// line that never comes, a connection that never completes its handshake.
TEST_F(NetCommands, CtrlBreakEndsNetworkWaits) {
  Server silent([](int fd) {
    pollfd entry{fd, POLLIN, 0};
    poll(&entry, 1, 9000);
  });
  std::string scripts[] = {
      "SERVE #1 " + Quote(ClosedPort()) + "\n",
      "CONECTA #1 \"127.0.0.1\" " + Quote(silent.port()) + "\nLE #1 L\n",
      "CONECTA SSL #1 \"127.0.0.1\" " + Quote(silent.port()) + "\n",
  };
  for (const std::string& script : scripts) {
    TesselRun run = RunScript(script, "{wait 300}{Break}");
    EXPECT_EQ(run.exit_code, 255) << script;
    EXPECT_LT(run.seconds, 8.0) << script;
  }
}

class TlsCommands : public NetCommands {
 protected:
  static void SetUpTestSuite() { certificates_ = new Certificates(); }
  static void TearDownTestSuite() {
    delete certificates_;
    certificates_ = nullptr;
  }
  std::vector<std::string> Trust() const { return {"SSL_CERT_FILE=" + certificates_->ca()}; }
  static Certificates* certificates_;
};
Certificates* TlsCommands::certificates_ = nullptr;

TEST_F(TlsCommands, ConectaSslTalksToAVerifiedPeerByName) {
  ASSERT_TRUE(certificates_->ok());
  TlsServer server(certificates_->cert("good"), certificates_->key("good"));
  TesselRun run = RunScript("CONECTA SSL #1 \"localhost\" " + Quote(server.port()) + "\n"
                      "ESCREVE #1 \"seguro\"\nLE #1 L\nESCREVE #1 \"tchau\"\nFECHA #1\nESCREVE L\n",
                      "", "", Trust());
  EXPECT_EQ(run.exit_code, 0) << run.screen;
  EXPECT_TRUE(run.ScreenHas("eco: seguro")) << run.screen;
  EXPECT_EQ(server.names(), std::vector<std::string>{"localhost"});
}

TEST_F(TlsCommands, ACertificateForAnotherNameIsRefusedUnlessVerificationIsOff) {
  ASSERT_TRUE(certificates_->ok());
  TlsServer server(certificates_->cert("wrong"), certificates_->key("wrong"));
  std::string script = "CONECTA SSL #1 \"localhost\" " + Quote(server.port()) + " &\nCHECA S\n"
                       "ESCREVE #1 \"seguro\"\nCHECA T\nESCREVE \"[\" S T \"]\"\n";
  TesselRun refused = RunScript(script, "{Enter}", "", Trust());
  EXPECT_TRUE(refused.LogHas("speak Erro SSL: o certificado de localhost n\xC3\xA3o foi aceito.")) << refused.log;
  // Nothing went out in plain text: the slot was never opened.
  EXPECT_TRUE(refused.ScreenHas("Erro no processamento de arquivo")) << refused.screen;
  EXPECT_TRUE(server.lines().empty());

  TesselRun accepted = RunScript(script, "", "[MIRANE]\nVERIFICA_SSL=N\n", Trust());
  EXPECT_EQ(accepted.exit_code, 0) << accepted.screen;
  EXPECT_TRUE(accepted.ScreenHas("[01]")) << accepted.screen;
  EXPECT_EQ(server.lines(), std::vector<std::string>{"seguro"});
}

// The SSL choice belongs to each connection: a plain CONECTA after an SSL
// one (even a failed one) stays plain; ATIVASSL replaces what the slot held;
// two SSL connections work side by side.
TEST_F(TlsCommands, SslBelongsToEachConnection) {
  ASSERT_TRUE(certificates_->ok());
  TlsServer secure(certificates_->cert("good"), certificates_->key("good"));
  std::string plain_lines;
  std::mutex mutex;
  Server plain([&](int fd) {
    std::string line;
    while (ReceiveLine(fd, line)) {
      std::lock_guard<std::mutex> lock(mutex);
      plain_lines += "[" + line + "]";
      SendText(fd, "ok\r\n");
    }
  });
  TesselRun run = RunScript("CONECTA SSL #1 \"127.0.0.1\" " + Quote(ClosedPort()) + " &\n"
                      "CONECTA SSL #2 \"localhost\" " + Quote(secure.port()) + "\n"
                      "CONECTA #3 \"127.0.0.1\" " + Quote(plain.port()) + "\n"
                      "ESCREVE #3 \"plano\"\nLE #3 A\n"
                      "CONECTA SSL #4 \"localhost\" " + Quote(secure.port()) + "\n"
                      "ESCREVE #2 \"um\"\nLE #2 B\nESCREVE #4 \"dois\"\nLE #4 C\n"
                      "CONECTA #5 \"localhost\" " + Quote(secure.port()) + "\n"
                      "ATIVASSL #5\nESCREVE #5 \"tres\"\nLE #5 D\n"
                      "ESCREVE #2 \"tchau\"\nESCREVE #4 \"tchau\"\nESCREVE #5 \"tchau\"\n"
                      "FECHA #2\nFECHA #3\nFECHA #4\nFECHA #5\n"
                      "ESCREVE A \"|\" B \"|\" C \"|\" D\n",
                      "", "", Trust());
  EXPECT_EQ(run.exit_code, 0) << run.screen;
  EXPECT_TRUE(run.ScreenHas("ok|eco: um|eco: dois|eco: tres")) << run.screen;
  std::lock_guard<std::mutex> lock(mutex);
  EXPECT_EQ(plain_lines, "[plano]");
  EXPECT_EQ(secure.handshakes(), 3);
}

TEST_F(TlsCommands, AtivasslToAPeerThatFailsLeavesADeadSlot) {
  Server hangs_up([](int) {});
  TesselRun run = RunScript("CONECTA #1 \"127.0.0.1\" " + Quote(hangs_up.port()) + "\n"
                      "ATIVASSL #1\nESCREVE #1 \"x\"\nCHECA A\nLE #1 L\nCHECA B\nOBSERVA #1 C\n"
                      "ESCREVE \"[\" A B C \"]\"\n",
                      "", "", Trust());
  EXPECT_EQ(run.exit_code, 0) << run.screen;
  EXPECT_TRUE(run.ScreenHas("[010]")) << run.screen;
}

// A redirect to an https URL is followed over TLS, with the certificate
// verified; a refused one ends the download with a spoken error.
TEST_F(TlsCommands, ARedirectToHttpsDownloadsOverTls) {
  ASSERT_TRUE(certificates_->ok());
  HttpServer plain;
  TlsServer good(certificates_->cert("good"), certificates_->key("good"));
  TlsServer wrong(certificates_->cert("wrong"), certificates_->key("wrong"));
  good.AnswerHttp("conteudo seguro");
  wrong.AnswerHttp("conteudo falso");
  auto script = [&](uint16_t port) {
    return "TRAZDAREDE \"" + plain.Url("/goto/https://localhost:" + std::to_string(port) + "/seguro") +
           "\" \"alvo.txt\" \"0\" \"a\" \"\" R\nESCREVE \"[\" R \"]\"\n";
  };
  TesselRun run = RunScript(script(good.port()), "", "", Trust());
  EXPECT_TRUE(run.ScreenHas("[0]")) << run.screen;
  EXPECT_EQ(folder_.Read("alvo.txt"), "conteudo seguro");
  ASSERT_EQ(good.lines().size(), 1u);
  EXPECT_NE(good.lines()[0].find("Host: localhost:" + std::to_string(good.port()) + "\r\n"), std::string::npos);
  EXPECT_EQ(good.names(), std::vector<std::string>{"localhost"});
  std::filesystem::remove(folder_.path() / "alvo.txt");
  run = RunScript(script(wrong.port()), "", "", Trust());
  EXPECT_TRUE(run.ScreenHas("[1]")) << run.screen;
  EXPECT_TRUE(run.LogHas("speak Erro SSL: o certificado de localhost n\xC3\xA3o foi aceito.")) << run.log;
  EXPECT_FALSE(std::filesystem::exists(folder_.path() / "alvo.txt"));
}

}  // namespace
