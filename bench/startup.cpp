// Start-up time to the first line, and the time to load and run a script of
// 5000 lines of comments and labels, through the real binary in headless mode.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Measure(const std::string& script, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    double seconds = bench::RunSeconds({TESSEL_BINARY, script},
                                       {"TESSEL_CONSOLE=headless", "TESSEL_AUDIO=null", "MIRANE_WINDIR=/tmp"});
    if (seconds < 0) {
      std::fprintf(stderr, "run of %s failed\n", script.c_str());
      return -1;
    }
    times.push_back(seconds);
  }
  return Median(times);
}

}  // namespace

int main() {
  const std::string one = "/tmp/tessel-bench-one.cmd";
  const std::string big = "/tmp/tessel-bench-5000.cmd";
  {
    std::ofstream out(one);
    out << "TERMINA MUDO\r\n";
  }
  {
    std::ofstream out(big);
    for (int i = 1; i < 5000; ++i) out << (i % 2 ? "* a comment line of a long script\r\n" : "@LABEL" + std::to_string(i) + "\r\n");
    out << "TERMINA MUDO\r\n";
  }
  const int runs = 21;
  double start_up = Measure(one, runs);
  double long_script = Measure(big, runs);
  std::printf("start-up to the first line (whole run of a one-line script): %.2f ms (median of %d)\n",
              start_up * 1000, runs);
  std::printf("load and run 5000 lines of comments and labels: %.2f ms total, %.2f ms beyond start-up\n",
              long_script * 1000, (long_script - start_up) * 1000);
  std::remove(one.c_str());
  std::remove(big.c_str());
  return start_up < 0 || long_script < 0;
}
