// The fixture runner: every script under tests/e2e runs through the real
// tessel binary in headless mode, and its screen, log, exit code and files
// are compared with the expectations written in its own comment lines.
//
// Directives (comment lines "* name: value", anywhere in the script):
//   * keys: TEXT         key script text (several lines are joined)
//   * command: ARGS      the command line after the program name; "{script}"
//                        stands for the fixture's path (default: "{script}")
//   * program: ensaio    run ensaio instead of tessel
//   * ini: LINE          a line of MIRANE.INI (in the test's Windows folder)
//   * env: NAME=VALUE    an environment variable for the run
//   * file: NAME=TEXT    a file created before the run, under drive C
//                        ("\n" in TEXT stands for a line break)
//   * screen: TEXT       the screen rows, in order; trailing blank rows are
//                        dropped before comparing, so list every row up to
//                        the last non-blank one ("* screen:" alone is a
//                        blank row)
//   * screen-has: TEXT   some screen row contains TEXT
//   * log: LINE          these lines appear in the log in this order
//                        (other lines may come between)
//   * no-log: LINE       this line does not appear in the log
//   * exit: N            the exit code (default 0)
//   * expect-file: NAME=TEXT   a file under drive C holds exactly TEXT
//   * stderr-has: TEXT   standard error contains TEXT
// In every value "{voice}" stands for the folder of the recorded voice the
// build made, and in env values "{root}" for the run's temporary folder.
// Each run gets a fresh temporary folder: drive C (MIRANE_DRIVE_C, also the
// working folder), the Windows folder (MIRANE_WINDIR) and the harness files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Fixture {
  fs::path path;
  std::string keys;
  std::string command = "{script}";
  std::string program = "tessel";
  std::vector<std::string> ini, env, files, screen, screen_has, log, no_log, expect_files, stderr_has;
  bool has_screen = false;
  int exit_code = 0;
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream stream(text);
  std::string line;
  while (std::getline(stream, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// The folder of the recorded voice the build made (TESSEL_VOICE_DIR).
std::string VoiceFolder() {
  const char* folder = std::getenv("TESSEL_VOICE_DIR");
  return folder ? folder : "";
}

Fixture ParseFixture(const fs::path& path) {
  Fixture fixture;
  fixture.path = path;
  for (const std::string& raw : Lines(ReadText(path))) {
    std::string line = raw;
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] != '*') continue;
    line = line.substr(start + 1);
    if (!line.empty() && line[0] == ' ') line.erase(0, 1);
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    std::string value = line.substr(colon + 1);
    if (!value.empty() && value[0] == ' ') value.erase(0, 1);
    Replace(value, "{voice}", VoiceFolder());
    if (name == "keys") fixture.keys += value;
    else if (name == "command") fixture.command = value;
    else if (name == "program") fixture.program = value;
    else if (name == "ini") fixture.ini.push_back(value);
    else if (name == "env") fixture.env.push_back(value);
    else if (name == "file") fixture.files.push_back(value);
    else if (name == "screen") { fixture.screen.push_back(value); fixture.has_screen = true; }
    else if (name == "screen-has") fixture.screen_has.push_back(value);
    else if (name == "log") fixture.log.push_back(value);
    else if (name == "no-log") fixture.no_log.push_back(value);
    else if (name == "exit") fixture.exit_code = std::atoi(value.c_str());
    else if (name == "expect-file") fixture.expect_files.push_back(value);
    else if (name == "stderr-has") fixture.stderr_has.push_back(value);
  }
  while (!fixture.screen.empty() && fixture.screen.back().empty()) fixture.screen.pop_back();
  return fixture;
}

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  std::stringstream stream(text);
  std::string word;
  while (stream >> word) words.push_back(word);
  return words;
}

struct RunOutput {
  int exit_code = -1;
  bool timed_out = false;
};

// Runs `argv` in `folder` with `environment`; stops it after `limit`.
RunOutput RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
              const fs::path& folder, const fs::path& stderr_file, std::chrono::seconds limit) {
  std::vector<char*> args, envs;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  for (const std::string& entry : environment) envs.push_back(const_cast<char*>(entry.c_str()));
  envs.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, stderr_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = 0;
  RunOutput output;
  int error = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), envs.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return output;
  auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  for (;;) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      output.timed_out = true;
      return output;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  output.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return output;
}

class FixtureTest : public testing::Test {
 public:
  explicit FixtureTest(fs::path path) : path_(std::move(path)) {}

  void TestBody() override {
    Fixture fixture = ParseFixture(path_);
    char pattern[] = "/tmp/tessel-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    fs::path root = pattern;
    fs::path drive = root / "c", windir = root / "windir";
    fs::create_directories(drive);
    fs::create_directories(windir);
    if (!fixture.ini.empty()) {
      std::ofstream ini(windir / "MIRANE.INI", std::ios::binary);
      for (const std::string& line : fixture.ini) ini << line << "\r\n";
    }
    for (const std::string& file : fixture.files) {
      size_t equals = file.find('=');
      ASSERT_NE(equals, std::string::npos) << "file directive needs NAME=TEXT";
      fs::path target = drive / file.substr(0, equals);
      fs::create_directories(target.parent_path());
      std::ofstream out(target, std::ios::binary);
      out << Unescape(file.substr(equals + 1));
    }
    {
      std::ofstream keys(root / "keys.txt", std::ios::binary);
      keys << fixture.keys;
    }

    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
      std::string text = *entry;
      if (text.rfind("TESSEL_", 0) == 0 || text.rfind("MIRANE_", 0) == 0 || text.rfind("DISPLAY=", 0) == 0)
        continue;
      environment.push_back(text);
    }
    environment.push_back("TESSEL_CONSOLE=headless");
    environment.push_back("TESSEL_AUDIO=null");
    environment.push_back("TESSEL_KEYS=" + (root / "keys.txt").string());
    environment.push_back("TESSEL_SCREEN=" + (root / "screen.txt").string());
    environment.push_back("TESSEL_LOG=" + (root / "log.txt").string());
    environment.push_back("MIRANE_WINDIR=" + windir.string());
    environment.push_back("MIRANE_DRIVE_C=" + drive.string());
    for (const std::string& entry : fixture.env) {
      std::string value = entry;
      Replace(value, "{root}", root.string());
      environment.push_back(value);
    }

    std::string command = fixture.command;
    Replace(command, "{script}", fs::absolute(path_).string());
    std::vector<std::string> argv = SplitWords(command);
    argv.insert(argv.begin(), fixture.program == "ensaio" ? ENSAIO_BINARY : TESSEL_BINARY);

    RunOutput output = RunProgram(argv, environment, drive, root / "stderr.txt", std::chrono::seconds(60));
    std::string screen = ReadText(root / "screen.txt");
    std::string log = ReadText(root / "log.txt");
    std::string errors = ReadText(root / "stderr.txt");
    std::string context = "\n--- screen ---\n" + screen + "--- log ---\n" + log + "--- stderr ---\n" + errors;

    ASSERT_FALSE(output.timed_out) << "the run did not end within 60 s" << context;
    EXPECT_EQ(output.exit_code, fixture.exit_code) << context;

    std::vector<std::string> rows = Lines(screen);
    while (!rows.empty() && rows.back().empty()) rows.pop_back();
    if (fixture.has_screen) {
      EXPECT_EQ(rows, fixture.screen) << context;
    }
    for (const std::string& wanted : fixture.screen_has) {
      bool found = false;
      for (const std::string& row : rows) found = found || row.find(wanted) != std::string::npos;
      EXPECT_TRUE(found) << "no screen row contains \"" << wanted << "\"" << context;
    }

    std::vector<std::string> log_lines = Lines(log);
    size_t at = 0;
    for (const std::string& wanted : fixture.log) {
      while (at < log_lines.size() && log_lines[at] != wanted) ++at;
      EXPECT_LT(at, log_lines.size()) << "log line \"" << wanted << "\" missing or out of order" << context;
      if (at >= log_lines.size()) break;
      ++at;
    }
    for (const std::string& unwanted : fixture.no_log)
      for (const std::string& line : log_lines) EXPECT_NE(line, unwanted) << context;

    for (const std::string& expected : fixture.expect_files) {
      size_t equals = expected.find('=');
      ASSERT_NE(equals, std::string::npos) << "expect-file directive needs NAME=TEXT";
      fs::path target = drive / expected.substr(0, equals);
      EXPECT_TRUE(fs::exists(target)) << target << " missing" << context;
      EXPECT_EQ(ReadText(target), Unescape(expected.substr(equals + 1))) << target;
    }
    for (const std::string& wanted : fixture.stderr_has)
      EXPECT_NE(errors.find(wanted), std::string::npos) << "stderr lacks \"" << wanted << "\"" << context;

    if (!HasFailure()) fs::remove_all(root);
    else std::cerr << "kept the run's folder: " << root << "\n";
  }

 private:
  fs::path path_;
};

// Registers one test per fixture: suite = the fixture's folder, name = its
// file name.
int RegisterFixtures() {
  fs::path base = fs::path(TESSEL_SOURCE_DIR) / "tests" / "e2e";
  std::vector<fs::path> fixtures;
  for (const auto& entry : fs::recursive_directory_iterator(base)) {
    std::string extension = entry.path().extension().string();
    if (entry.is_regular_file() && (extension == ".cmd" || extension == ".CMD" || extension == ".pro"))
      fixtures.push_back(entry.path());
  }
  std::sort(fixtures.begin(), fixtures.end());
  for (const fs::path& path : fixtures) {
    std::string suite = "E2E_" + path.parent_path().filename().string();
    std::string name = path.stem().string();
    for (char& c : name)
      if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    testing::RegisterTest(suite.c_str(), name.c_str(), nullptr, nullptr, __FILE__, __LINE__,
                          [path]() -> testing::Test* { return new FixtureTest(path); });
  }
  return static_cast<int>(fixtures.size());
}

const int kRegistered = RegisterFixtures();

}  // namespace
