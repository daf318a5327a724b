// Lines executed per second: three loops of 1,000,000 passes (a REPETE
// loop, an ENQUANTO loop, and a label loop closed by a one-line SE with
// DESVIA) run through the real tessel binary in headless mode, and the same
// loops written for dash. Times are the processor time of the child (user +
// system, the median of several runs), so other work on a shared machine
// disturbs them little. The goal: Tessel at least 10 times as fast as dash
// on each loop, and a script of 1,000,000 lines loaded (and ended on its
// second line) in under a second.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

constexpr int kPasses = 1000000;
constexpr int kRuns = 5;
constexpr double kGoal = 10.0;
constexpr int kBigLines = 1000000;
constexpr double kBigGoalSeconds = 1.0;

struct Loop {
  const char* name;
  const char* script;        // Tessel; writes the final count on the first row
  int lines_per_pass;        // script lines stepped through on each pass
  const char* dash;          // the same loop for dash; prints the final count
};

const Loop kLoops[] = {
    {"REPETE",
     "SEJA A 0\r\nREPETE I 1000000\r\nSOMA A 1\r\nFIM REPETE\r\nESCREVE A\r\nTERMINA MUDO\r\n", 2,
     "a=0; i=1; while [ $i -le 1000000 ]; do a=$((a+1)); i=$((i+1)); done; echo $a"},
    {"ENQUANTO",
     "SEJA I 0\r\nENQUANTO I < 1000000\r\nSOMA I 1\r\nFIM ENQUANTO\r\nESCREVE I\r\nTERMINA MUDO\r\n", 3,
     "i=0; while [ $i -lt 1000000 ]; do i=$((i+1)); done; echo $i"},
    {"label + SE/DESVIA",
     "SEJA I 0\r\n@LOOP\r\nSOMA I 1\r\nSE I < 1000000 DESVIA @LOOP\r\nESCREVE I\r\nTERMINA MUDO\r\n", 3,
     "i=0; while :; do i=$((i+1)); if [ $i -lt 1000000 ]; then continue; fi; break; done; echo $i"},
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

// Runs `argv` with standard output into `output_file` and the extra
// environment; returns the child's processor seconds, or -1 when it failed.
double RunCpuSeconds(const std::vector<std::string>& argv, const std::vector<std::string>& extra_environment,
                     const std::string& output_file) {
  pid_t pid = bench::Spawn(argv, extra_environment, output_file);
  if (pid < 0) return -1;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  auto seconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The median of kRuns runs; -1 when a run failed or did not count to the
// end (its first output line must be the number of passes).
double Measure(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
               const std::string& output_file, const std::string& screen_file) {
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    double seconds = RunCpuSeconds(argv, environment, output_file);
    std::string shown = ReadFile(screen_file.empty() ? output_file : screen_file);
    if (seconds < 0 || shown.compare(0, 7, std::to_string(kPasses)) != 0) return -1;
    times.push_back(seconds);
  }
  return Median(times);
}

// A script of kBigLines lines of the usual kinds that shows the count and
// ends on its second line: running it is loading it.
std::string BigScript() {
  const char* kinds[] = {"SEJA A \"texto {}\"", "* coment\xE1rio {}", "ESCREVE \"linha n\xFAmero \" A",
                         "SE A = {} DESVIA @FIM",  "@R{}",              "SOMA B {}",
                         "",                       "FIM SE"};
  std::string text = "ESCREVE " + std::to_string(kPasses) + "\r\nTERMINA MUDO\r\n";
  for (int n = 3; n <= kBigLines; ++n) {
    std::string line = kinds[n % 8];
    size_t mark = line.find("{}");
    if (mark != std::string::npos) line.replace(mark, 2, std::to_string(n));
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace

int main() {
  const std::string folder = "/tmp";
  const std::string script = folder + "/tessel-bench-loop.cmd";
  const std::string screen = folder + "/tessel-bench-screen.txt";
  const std::string output = folder + "/tessel-bench-output.txt";
  bool all_met = true, failed = false;
  std::printf("%-18s %12s %12s %14s %8s\n", "loop (1,000,000)", "tessel s", "dash s", "tessel lines/s", "ratio");
  for (const Loop& loop : kLoops) {
    {
      std::ofstream out(script, std::ios::binary);
      out << loop.script;
    }
    double tessel = Measure({TESSEL_BINARY, script},
                            {"TESSEL_CONSOLE=headless", "TESSEL_AUDIO=null", "MIRANE_WINDIR=/nonexistent",
                             "TESSEL_SCREEN=" + screen},
                            output, screen);
    double dash = Measure({"/bin/dash", "-c", loop.dash}, {}, output, "");
    if (tessel <= 0 || dash <= 0) {
      std::printf("%-18s run failed (tessel %.3f, dash %.3f)\n", loop.name, tessel, dash);
      failed = true;
      continue;
    }
    double ratio = dash / tessel;
    all_met = all_met && ratio >= kGoal;
    std::printf("%-18s %12.3f %12.3f %14.0f %7.1fx\n", loop.name, tessel, dash,
                static_cast<double>(kPasses) * loop.lines_per_pass / tessel, ratio);
  }
  {
    std::ofstream out(script, std::ios::binary);
    out << BigScript();
  }
  double load = Measure({TESSEL_BINARY, script},
                        {"TESSEL_CONSOLE=headless", "TESSEL_AUDIO=null", "MIRANE_WINDIR=/nonexistent",
                         "TESSEL_SCREEN=" + screen},
                        output, screen);
  if (load <= 0) {
    std::printf("1,000,000-line script: run failed\n");
    failed = true;
  } else {
    std::printf("1,000,000-line script loaded and ended: %.3f s of processor time (goal < %.0f s)\n", load,
                kBigGoalSeconds);
    all_met = all_met && load < kBigGoalSeconds;
  }
  std::printf("goal (tessel at least %.0fx as fast as dash on each loop, the big script under %.0f s): %s\n", kGoal,
              kBigGoalSeconds, failed ? "not measured" : all_met ? "met\n" : "NOT met\n");
  std::remove(script.c_str());
  std::remove(screen.c_str());
  std::remove(output.c_str());
  return failed ? 1 : 0;
}
