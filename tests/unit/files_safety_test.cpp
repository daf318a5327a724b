// Nothing lost: ".." confined to its drive for every command that takes a
// path, read-only files kept, and files replaced only once their new
// contents are whole (a killed run, a full disk), with what a killed run
// left removed at the next start.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "console/console.h"
#include "data/data_module.h"
#include "interpreter/interpreter.h"
#include "interpreter/operands.h"
#include "platform/files.h"
#include "platform/files_temp.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using test_support::HeadlessConsole;

const fs::path kFixtures = fs::path(TESSEL_SOURCE_DIR) / "tests" / "fixtures";

// Drive C is the folder "drive" inside a test folder; beside it lie files of
// the same names with other contents, which no command may reach.
class DriveConfinement : public testing::Test {
 public:
  DriveConfinement() : saved_folder_(fs::current_path()) {}
  ~DriveConfinement() override {
    data::DataEnd();
    fs::current_path(saved_folder_);
    unsetenv("MIRANE_DRIVE_C");
  }

  // A fresh layout, with the working folder at the drive's root.
  void Prepare() {
    fs::current_path(saved_folder_);
    fs::remove_all(top());
    fs::create_directories(top() / "drive" / "sub");
    fs::create_directories(top() / "drive" / "vazio");
    fs::create_directories(top() / "vazio");
    Put("fora.txt", "outside");
    Put("aaa.txt", "outside");
    Put("drive/fora.txt", "inside");
    Put("drive/dentro.txt", "inside");
    fs::copy_file(kFixtures / "green_3x2.bmp", top() / "drive" / "pic.bmp");
    setenv("MIRANE_DRIVE_C", (top() / "drive").c_str(), 1);
    fs::current_path(top() / "drive");
    interp::ResetInterpreterForTests();
    interp::ResetVariables();
    data::DataInit();
  }
  fs::path top() const { return headless_.folder().path() / "t"; }
  void Put(const std::string& name, const std::string& text) const { headless_.folder().Write("t/" + name, text); }
  std::string Get(const std::string& name) const { return headless_.folder().Read("t/" + name); }
  bool Has(const std::string& name) const { return fs::exists(top() / name); }

  HeadlessConsole headless_;
  fs::path saved_folder_;
};

TEST_F(DriveConfinement, DotDotStaysAtTheDriveRootForEveryCommand) {
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    std::function<void(const DriveConfinement&)> check;
  };
  auto unchanged_outside = [](const DriveConfinement& t) {
    EXPECT_EQ(t.Get("fora.txt"), "outside");
    EXPECT_EQ(t.Get("aaa.txt"), "outside");
    EXPECT_TRUE(t.Has("vazio"));
  };
  const Case cases[] = {
      {"REMOVE", {"REMOVE \"C:\\..\\fora.txt\""}, [](const DriveConfinement& t) { EXPECT_FALSE(t.Has("drive/fora.txt")); }},
      {"REMOVE deep", {"REMOVE \"C:\\sub\\..\\..\\..\\fora.txt\""},
       [](const DriveConfinement& t) { EXPECT_FALSE(t.Has("drive/fora.txt")); }},
      {"ABRE and LE", {"ABRE #1 \"C:\\..\\..\\fora.txt\"", "LE #1 A"},
       [](const DriveConfinement&) { EXPECT_EQ(interp::Variable('A'), "inside"); }},
      {"ABRE to append", {"ABRE #2 \"C:\\..\\novo.txt\" &", "ESCREVE #2 \"x\"", "FECHA #2"},
       [](const DriveConfinement& t) { EXPECT_EQ(t.Get("drive/novo.txt"), "x\r\n"); EXPECT_FALSE(t.Has("novo.txt")); }},
      {"TAMARQ", {"TAMARQ \"C:\\..\\fora.txt\" A"}, [](const DriveConfinement&) { EXPECT_EQ(interp::Variable('A'), "6"); }},
      {"HTAMARQ", {"HTAMARQ \"C:..\\fora.txt\" A"},
       [](const DriveConfinement&) { EXPECT_EQ(interp::Variable('A').substr(0, 1), "6"); }},
      {"REPLICA", {"REPLICA \"C:\\..\\fora.txt\" \"C:\\..\\copia.txt\""},
       [](const DriveConfinement& t) { EXPECT_EQ(t.Get("drive/copia.txt"), "inside"); EXPECT_FALSE(t.Has("copia.txt")); }},
      {"RENOMEIA", {"RENOMEIA \"C:\\..\\fora.txt\" \"C:\\..\\movido.txt\""},
       [](const DriveConfinement& t) { EXPECT_TRUE(t.Has("drive/movido.txt")); EXPECT_FALSE(t.Has("movido.txt")); }},
      {"DIR CRIA", {"DIR CRIA \"C:\\..\\novo\""},
       [](const DriveConfinement& t) { EXPECT_TRUE(t.Has("drive/novo")); EXPECT_FALSE(t.Has("novo")); }},
      {"DIR REMOVE", {"DIR REMOVE \"C:\\..\\vazio\""}, [](const DriveConfinement& t) { EXPECT_FALSE(t.Has("drive/vazio")); }},
      {"BUSCA", {"BUSCA A \"C:\\..\\*.txt\""}, [](const DriveConfinement&) { EXPECT_EQ(interp::Variable('A'), "dentro.txt"); }},
      {"BUSCA DIR", {"BUSCA A DIR \"C:\\..\\*\""}, [](const DriveConfinement&) { EXPECT_EQ(interp::Variable('A'), "sub"); }},
      {"DIR TROCA", {"DIR TROCA \"C:\\\"", "DIR TROCA \"..\"", "DIR TROCA \"..\\..\"", "BUSCA A DIR"},
       [](const DriveConfinement& t) { EXPECT_EQ(interp::Variable('A'), (t.top() / "drive").string()); }},
      {"relative names", {"DIR TROCA \"sub\"", "REMOVE \"..\\..\\..\\fora.txt\""},
       [](const DriveConfinement& t) { EXPECT_FALSE(t.Has("drive/fora.txt")); }},
      {"CODARQBASE64", {"CODARQBASE64 \"C:\\..\\fora.txt\" \"C:\\..\\b64.txt\""},
       [](const DriveConfinement& t) { EXPECT_EQ(t.Get("drive/b64.txt"), "aW5zaWRl\r\n"); EXPECT_FALSE(t.Has("b64.txt")); }},
      {"DECODARQBASE64", {"CODARQBASE64 \"fora.txt\" \"b.txt\"", "DECODARQBASE64 \"C:\\..\\b.txt\" \"C:\\..\\d.txt\""},
       [](const DriveConfinement& t) { EXPECT_EQ(t.Get("drive/d.txt"), "inside"); EXPECT_FALSE(t.Has("d.txt")); }},
      {"CRIABIN, LEBYTE", {"CRIABIN \"C:\\..\\bin.dat\"", "LEBYTE \"C:\\..\\fora.txt\" 0 2", "GRAVABYTES", "FECHABIN"},
       [](const DriveConfinement& t) { EXPECT_EQ(t.Get("drive/bin.dat"), "in"); EXPECT_FALSE(t.Has("bin.dat")); }},
      {"IMAGEM", {"IMAGEM \"C:\\..\\pic.bmp\""}, [](const DriveConfinement&) {}},
  };
  for (const Case& c : cases) {
    Prepare();
    for (const std::string& line : c.lines) EXPECT_TRUE(interp::ExecuteLine(line, false)) << c.what << ": " << line;
    data::DataEnd();
    c.check(*this);
    unchanged_outside(*this);
    if (HasFailure()) FAIL() << c.what;
  }
}

TEST_F(DriveConfinement, ResolvedNamesNeverLeaveTheDrive) {
  Prepare();
  std::string drive = (top() / "drive").string();
  for (const char* name : {"C:\\..", "C:..", "C:\\..\\..\\x", "c:/a/../../b", "C:\\.\\..\\.\\x", "..", "..\\..\\x", "sub\\..\\..\\x"}) {
    std::string path = platform::files::NativePath(name);
    EXPECT_EQ(path.compare(0, drive.size(), drive), 0) << name << " -> " << path;
  }
  // Going up stays possible inside the drive.
  EXPECT_EQ(platform::files::NativePath("C:\\sub\\..\\fora.txt"), drive + "/fora.txt");
  fs::current_path(top() / "drive" / "sub");
  EXPECT_EQ(platform::files::NativePath("..\\fora.txt"), drive + "/fora.txt");
}

// A read-only file is not removed, even for the administrator, for whom the
// permission bits do not stop a deletion.
TEST_F(DriveConfinement, RemoveRefusesAReadOnlyFile) {
  Prepare();
  fs::permissions(top() / "drive" / "fora.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_TRUE(platform::files::IsReadOnly("fora.txt"));
  EXPECT_FALSE(interp::ExecuteLine("REMOVE \"fora.txt\"", false));
  bool said = false;
  for (int row = 1; row <= 25; ++row)
    said = said || console::ScreenRow(row).find("Erro no apagamento do arquivo fora.txt") != std::string::npos;
  EXPECT_TRUE(said);
  EXPECT_TRUE(interp::ExecuteLine("REMOVE \"fora.txt\" &", false));  // quiet: no failure, still kept
  EXPECT_EQ(Get("drive/fora.txt"), "inside");
  EXPECT_FALSE(platform::files::IsReadOnly("dentro.txt"));
  EXPECT_TRUE(interp::ExecuteLine("REMOVE \"dentro.txt\"", false));
  EXPECT_FALSE(Has("drive/dentro.txt"));
}

// ---------------------------------------------------------------------------
// Replacing files through the real program

class SafeReplacement : public testing::Test {
 protected:
  SafeReplacement() {
    fs::create_directories(folder_.path() / "tmp");
    fs::create_directories(folder_.path() / "work");
  }
  fs::path work() const { return folder_.path() / "work"; }

  // Starts tessel on `script` in the work folder, its temporary folder in the
  // test folder; with `file_limit` > 0 no file may grow past that many bytes.
  pid_t Start(const std::string& script, long file_limit = 0) {
    folder_.Write("work/s.cmd", script);
    folder_.Write("keys", "{Enter}{Enter}");
    pid_t child = fork();
    if (child == 0) {
      if (file_limit > 0) {
        signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
        struct rlimit limit;
        limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(file_limit);
        setrlimit(RLIMIT_FSIZE, &limit);
      }
      setenv("TESSEL_CONSOLE", "headless", 1);
      setenv("TESSEL_AUDIO", "null", 1);
      setenv("TESSEL_KEYS", (folder_.path() / "keys").c_str(), 1);
      setenv("TESSEL_SCREEN", (folder_.path() / "screen.txt").c_str(), 1);
      setenv("TMPDIR", (folder_.path() / "tmp").c_str(), 1);
      setenv("MIRANE_WINDIR", folder_.path().c_str(), 1);
      unsetenv("TESSEL_LOG");
      int null = open("/dev/null", O_RDWR);
      dup2(null, 0);
      dup2(null, 1);
      dup2(null, 2);
      if (chdir(work().c_str()) != 0) _exit(126);
      execl(TESSEL_BINARY, TESSEL_BINARY, "s.cmd", static_cast<char*>(nullptr));
      _exit(127);
    }
    return child;
  }
  int Wait(pid_t child) {
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  // Names in `folder` that start with `prefix`.
  static std::vector<std::string> Named(const fs::path& folder, const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
      if (entry.path().filename().string().rfind(prefix, 0) == 0) names.push_back(entry.path().string());
    return names;
  }

  test_support::TempFolder folder_;
};

// A run killed in the middle of a copy leaves the old target whole; the next
// run removes the half-written copy.
TEST_F(SafeReplacement, KilledReplicaLeavesTheOldTarget) {
  folder_.Write("work/alvo.txt", "old contents");
  std::string fifo = (work() / "fonte").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  int writer = open(fifo.c_str(), O_RDWR);  // the copy waits for more, forever
  ASSERT_GE(writer, 0);
  ASSERT_EQ(write(writer, "new bytes", 9), 9);
  pid_t child = Start("REPLICA \"fonte\" \"alvo.txt\"\r\n");
  // The copy has begun once its temporary file stands beside the target.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (Named(work(), ".tessel-").empty() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(Named(work(), ".tessel-").size(), 1u);
  kill(child, SIGKILL);
  Wait(child);
  close(writer);
  EXPECT_EQ(folder_.Read("work/alvo.txt"), "old contents");
  fs::remove(fifo);
  // A picture left by an ended run (no process has that id), and a file of
  // a run still going (this test's own).
  fs::path own = folder_.path() / "tmp" / ("tessel-" + std::to_string(geteuid()));
  ASSERT_TRUE(fs::is_directory(own));
  folder_.Write("tmp/" + own.filename().string() + "/4999999-0-1-tessel-picture-.bmp", "BM");
  std::string alive = std::to_string(getpid()) + "-0-1-tessel-picture-.bmp";
  folder_.Write("tmp/" + own.filename().string() + "/" + alive, "BM");
  // The next start clears what the ended runs left.
  EXPECT_EQ(Wait(Start("ESCREVE \"ok\"\r\n")), 0);
  EXPECT_TRUE(Named(work(), ".tessel-").empty());
  std::vector<std::string> left = Named(own, "");
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(fs::path(left[0]).filename(), alive);
}

// A full disk (a 64 KiB file system, or a file-size limit where mounting is
// not allowed) stops the copy; the old target stays, no temporary is left.
TEST_F(SafeReplacement, DiskFullReplicaLeavesTheOldTarget) {
  folder_.Write("work/fonte.bin", std::string(200 * 1024, 'n'));
  fs::create_directories(work() / "small");
  bool mounted = mount("tmpfs", (work() / "small").c_str(), "tmpfs", 0, "size=64k") == 0;
  folder_.Write("work/small/alvo.bin", std::string(1000, 'o'));
  folder_.Write("work/small/alvo2.bin", std::string(1000, 'o'));
  const std::string script =
      "REPLICA \"fonte.bin\" \"small\\alvo.bin\" &\r\n"
      "CODARQBASE64 \"fonte.bin\" \"small\\alvo2.bin\"\r\n";
  int code = Wait(Start(script, mounted ? 0 : 64 * 1024));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(folder_.Read("work/small/alvo.bin"), std::string(1000, 'o'));
  EXPECT_EQ(folder_.Read("work/small/alvo2.bin"), std::string(1000, 'o'));
  EXPECT_TRUE(Named(work() / "small", ".tessel-").empty());
  std::string screen = folder_.Read("screen.txt");
  EXPECT_NE(screen.find("Erro de execu"), std::string::npos) << screen;  // CODARQBASE64 failed
  if (mounted) umount((work() / "small").c_str());
}

// Copies that succeed replace the target, keep its permissions, and write
// through links to the file they reach.
TEST_F(SafeReplacement, WholeCopiesReplaceTheTarget) {
  folder_.Write("work/fonte.txt", "new");
  folder_.Write("work/alvo.txt", "old");
  fs::permissions(work() / "alvo.txt", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink(work() / "alvo.txt", work() / "elo.txt");
  EXPECT_EQ(Wait(Start("REPLICA \"fonte.txt\" \"alvo.txt\"\r\nREPLICA \"fonte.txt\" \"elo.txt\"\r\n"
                       "REPLICA \"fonte.txt\" \"/dev/null\"\r\n")),
            0);
  EXPECT_EQ(folder_.Read("work/alvo.txt"), "new");
  EXPECT_TRUE(fs::is_symlink(work() / "elo.txt"));
  EXPECT_EQ(fs::status(work() / "alvo.txt").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_TRUE(Named(work(), ".tessel-").empty());
}

}  // namespace
