// TRAZDAREDE through the real tessel binary against the test's HTTP server:
// whole and resumed downloads, redirects, failures that leave the target
// file alone, bodies without a length or in chunks, and the keys heard
// during the transfer.
#include <gtest/gtest.h>

#include <random>

#include "http_test_server.h"
#include "test_support.h"

namespace {

using namespace net_support;

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

class Download : public ::testing::Test {
 protected:
  // Runs TRAZDAREDE of `path` into "alvo.bin" and writes "[R]" on the screen.
  TesselRun Fetch(const std::string& path, const std::string& keys = "", const std::string& mode = "0") {
    return RunTessel(folder_.path(),
                     "TRAZDAREDE \"" + server_.Url(path) + "\" \"alvo.bin\" \"" + mode +
                         "\" \"Tessel\" \"sabor=1\" R\nESCREVE \"[\" R \"]\"\n",
                     keys);
  }
  std::string Target() const { return folder_.Read("alvo.bin"); }
  bool TargetExists() const { return std::filesystem::exists(folder_.path() / "alvo.bin"); }

  test_support::TempFolder folder_;
  HttpServer server_;
};

TEST_F(Download, AWholeFileWithTheRequestItNeeds) {
  std::string data = RandomBytes(100000, 1);
  server_.SetData(data);
  TesselRun run = Fetch("/file");
  EXPECT_TRUE(run.ScreenHas("[0]")) << run.screen;
  EXPECT_TRUE(Target() == data);
  ASSERT_EQ(server_.requests().size(), 1u);
  std::string request = server_.requests()[0];
  // The port is in the Host header, since it is not the default one.
  EXPECT_EQ(request, "GET /file HTTP/1.1\r\nUser-Agent: Tessel\r\nAccept: */*\r\nAccept-Encoding: identity\r\n"
                     "Host: 127.0.0.1:" + std::to_string(server_.port()) +
                     "\r\nConnection: Close\r\nCookie: sabor=1\r\n\r\n");
}

// Twenty downloads cut short at growing points, each resumed from what the
// file holds, end in a file identical to the source.
TEST_F(Download, InterruptedTwentyTimesAndResumedEndsIdentical) {
  std::string data = RandomBytes(210000, 2);
  server_.SetData(data);
  size_t held = 0;
  for (int cut = 1; cut <= 20; ++cut) {
    size_t keep = static_cast<size_t>(cut) * 10000 + 777 - held;  // body bytes sent before the drop
    TesselRun run = Fetch("/drop/" + std::to_string(keep) + "/file");
    ASSERT_TRUE(run.ScreenHas("[1]")) << cut << run.screen;
    held += keep;
    std::string part = Target();
    ASSERT_EQ(part.size(), held) << cut;
    ASSERT_TRUE(part == data.substr(0, held)) << cut;
    if (cut > 1) {
      EXPECT_TRUE(run.LogHas("speak Retomando download")) << cut;
    }
  }
  TesselRun run = Fetch("/file");
  EXPECT_TRUE(run.ScreenHas("[0]")) << run.screen;
  EXPECT_TRUE(Target() == data);
  auto requests = server_.requests();
  ASSERT_EQ(requests.size(), 21u);
  EXPECT_EQ(requests[0].find("Range:"), std::string::npos);
  EXPECT_NE(requests[20].find("Range: bytes=" + std::to_string(held) + "-\r\n"), std::string::npos);
}

TEST_F(Download, ShortByOneByteIsIncompleteAndResumable) {
  std::string data = RandomBytes(9000, 3);
  server_.SetData(data);
  TesselRun run = Fetch("/drop/8999/file");
  EXPECT_TRUE(run.ScreenHas("[1]")) << run.screen;
  EXPECT_EQ(Target().size(), 8999u);
  run = Fetch("/file");
  EXPECT_TRUE(run.ScreenHas("[0]")) << run.screen;
  EXPECT_TRUE(Target() == data);
}

TEST_F(Download, AFileAlreadyWholeIsLeftAsItIs) {
  std::string data = RandomBytes(5000, 4);
  server_.SetData(data);
  folder_.Write("alvo.bin", data);
  TesselRun run = Fetch("/file");
  EXPECT_TRUE(run.ScreenHas("[0]")) << run.screen;
  EXPECT_TRUE(Target() == data);
  EXPECT_FALSE(run.LogHas("speak Retomando download"));
}

TEST_F(Download, AWholeAnswerToARangedRequestRewritesTheFile) {
  std::string data = RandomBytes(6000, 10);
  server_.SetData(data);
  folder_.Write("alvo.bin", std::string(1000, 'x'));
  TesselRun run = Fetch("/whole");
  EXPECT_TRUE(run.ScreenHas("[0]")) << run.screen;
  EXPECT_TRUE(Target() == data);
  ASSERT_EQ(server_.requests().size(), 1u);
  EXPECT_NE(server_.requests()[0].find("Range: bytes=1000-\r\n"), std::string::npos);
}

TEST_F(Download, APartThatDoesNotStartAtTheEndOfTheFileIsRefused) {
  folder_.Write("alvo.bin", std::string(1000, 'x'));
  TesselRun run = Fetch("/badrange");
  EXPECT_TRUE(run.ScreenHas("[1]")) << run.screen;
  EXPECT_EQ(Target(), std::string(1000, 'x'));
}

TEST_F(Download, RedirectsAreFollowedUpToTwenty) {
  std::string data = RandomBytes(3000, 5);
  server_.SetData(data);
  TesselRun run = Fetch("/redirect/20");
  EXPECT_TRUE(run.ScreenHas("[0]")) << run.screen;
  EXPECT_TRUE(Target() == data);
  EXPECT_EQ(server_.requests().size(), 21u);
  std::filesystem::remove(folder_.path() / "alvo.bin");
  for (const char* path : {"/redirect/21", "/loop"}) {
    run = Fetch(path);
    EXPECT_TRUE(run.ScreenHas("[1]")) << path << run.screen;
    EXPECT_TRUE(run.LogHas("speak Erro: redirecionamentos demais")) << path;
    EXPECT_FALSE(TargetExists()) << path;
  }
}

// Answers other than 200 and 206 never reach the file, with or without a
// length; an existing file keeps what it held.
TEST_F(Download, ErrorAnswersLeaveTheFileAlone) {
  struct Case {
    const char* path;
    const char* message;
  } cases[] = {{"/404", "speak Erro http404: P\xC3\xA1gina n\xC3\xA3o encontrada."},
               {"/500", "speak Erro http500."},
               {"/nothing", "speak Erro http400:Requisi\xC3\xA7\xC3\xA3o http n\xC3\xA3o foi bem formulada."}};
  for (const Case& c : cases) {
    std::filesystem::remove(folder_.path() / "alvo.bin");
    TesselRun run = Fetch(c.path);
    EXPECT_TRUE(run.ScreenHas("[1]")) << c.path << run.screen;
    EXPECT_TRUE(run.LogHas(c.message)) << c.path << run.log;
    EXPECT_FALSE(TargetExists()) << c.path;
    folder_.Write("alvo.bin", "antes");
    run = Fetch(c.path);
    EXPECT_TRUE(run.ScreenHas("[1]")) << c.path;
    EXPECT_EQ(Target(), "antes") << c.path;
  }
}

TEST_F(Download, BodiesWithoutALength) {
  std::string data = RandomBytes(10000, 6);  // not a whole number of blocks
  server_.SetData(data);
  struct Case {
    const char* path;
    std::string expected;
    const char* result;
  } cases[] = {
      {"/audio", data, "[0]"},
      {"/binary", data, "[0]"},
      {"/audio-chunked", data, "[0]"},
      {"/audio-chunked-cut", data, "[1]"},
      {"/chunked", "linha um\r\nlinha dois\r\nfim\r\n\r\n", "[0]"},
      {"/nolength", "a\r\nb\r\nc\r\n\r\n", "[0]"},
      {"/empty", "", "[0]"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(folder_.path() / "alvo.bin");
    TesselRun run = Fetch(c.path);
    EXPECT_TRUE(run.ScreenHas(c.result)) << c.path << run.screen;
    EXPECT_TRUE(Target() == c.expected) << c.path << " " << Target().size();
  }
}

// Enter during the transfer: the share counts the bytes the file already
// held before the resume.
TEST_F(Download, ProgressReportCountsFromTheResumeOffset) {
  std::string data = RandomBytes(10000, 7);
  server_.SetData(data);
  folder_.Write("alvo.bin", data.substr(0, 1000));
  TesselRun run = Fetch("/file", "{wait 0}{Enter}");
  EXPECT_TRUE(run.ScreenHas("[0]")) << run.screen;
  EXPECT_TRUE(Target() == data);
  const char* expected[] = {"speak Retomando download", "speak Recebidos: 51% de 9KB.",
                            "speak 4.98 KBytes gravados.", "speak Arquivo: alvo.bin", "speak"};
  size_t at = 0;
  for (const char* line : expected) {
    size_t found = run.log.find(std::string(line) + "\n", at);
    ASSERT_NE(found, std::string::npos) << line << "\n" << run.log;
    at = found + 1;
  }
  // An open length tells the bytes written.
  std::filesystem::remove(folder_.path() / "alvo.bin");
  run = Fetch("/audio", "{wait 0}{Enter}");
  EXPECT_TRUE(run.LogHas("speak 4096 bytes escritos em disco.")) << run.log;
}

TEST_F(Download, EscapeAsksAndSStops) {
  std::string data = RandomBytes(20000, 8);
  server_.SetData(data);
  TesselRun run = Fetch("/file", "{wait 0}{Esc}n");
  EXPECT_TRUE(run.LogHas("speak Deseja parar o download?")) << run.log;
  EXPECT_TRUE(run.ScreenHas("[0]")) << run.screen;
  EXPECT_TRUE(Target() == data);
  std::filesystem::remove(folder_.path() / "alvo.bin");
  run = Fetch("/file", "{wait 0}{Esc}s");
  EXPECT_TRUE(run.LogHas("speak O download foi interrompido.")) << run.log;
  EXPECT_TRUE(run.ScreenHas("[1]")) << run.screen;
  EXPECT_EQ(Target().size(), 4096u);
}

TEST_F(Download, AClickPerBlockThatBlankTurnsOnAndOff) {
  server_.SetData(RandomBytes(4096 * 5, 9));
  auto clicks = [](const std::string& log) {
    size_t count = 0;
    for (size_t at = log.find("click\n"); at != std::string::npos; at = log.find("click\n", at + 1)) ++count;
    return count;
  };
  EXPECT_EQ(clicks(Fetch("/file", "", "1").log), 5u);
  std::filesystem::remove(folder_.path() / "alvo.bin");
  EXPECT_EQ(clicks(Fetch("/file", "{wait 0}{Space}", "0").log), 4u);  // from the second block on
  std::filesystem::remove(folder_.path() / "alvo.bin");
  EXPECT_EQ(clicks(Fetch("/file", "{wait 0}{Space}", "1").log), 1u);
}

TEST_F(Download, BadOperandsAndAddresses) {
  std::string port = std::to_string(server_.port());
  struct Case {
    std::string line;
    const char* screen;
  } cases[] = {
      {"TRAZDAREDE \"" + server_.Url("/file") + "\" \"alvo.bin\" \"2\" \"a\" \"\" R", "Erro de execu"},
      {"TRAZDAREDE \"" + server_.Url("/file") + "\" \"alvo.bin\" \"0\" \"a\" R", "Erro de execu"},
      {"TRAZDAREDE \"http://127.0.0.1:abc/file\" \"alvo.bin\" \"0\" \"a\" \"\" R", "[1]"},
      {"TRAZDAREDE \"127.0.0.1/file\" \"alvo.bin\" \"0\" \"a\" \"\" R", "[1]"},
      {"TRAZDAREDE \"http://127.0.0.1:" + std::to_string(ClosedPort()) + "/file\" \"alvo.bin\" \"0\" \"a\" \"\" R",
       "provavelmente"},
      {"TRAZDAREDE \"" + server_.Url("/file") + "\" \"pasta/que/falta/alvo.bin\" \"0\" \"a\" \"\" R",
       "Erro na escrita de arquivo"},
  };
  for (const Case& c : cases) {
    TesselRun run = RunTessel(folder_.path(), c.line + "\nESCREVE \"[\" R \"]\"\n", "{Enter}");
    EXPECT_TRUE(run.ScreenHas(c.screen)) << c.line << "\n" << run.screen;
    EXPECT_FALSE(TargetExists()) << c.line;
  }
}

TEST_F(Download, CtrlBreakEndsAStalledTransfer) {
  TesselRun run = Fetch("/stall", "{wait 300}{Break}");
  EXPECT_EQ(run.exit_code, 255);
  EXPECT_LT(run.seconds, 8.0);
}

}  // namespace
