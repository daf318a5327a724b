// REPLICA and CODARQBASE64 on a 100 MB file through the real tessel binary
// in headless mode, beside cp and base64 on the same file in the same run.
// The goal: at least half their speed.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kFileBytes = 100u << 20;
constexpr int kRuns = 5;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Median wall seconds of `argv`, removing `output` before each run.
double Measure(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
               const fs::path& output) {
  std::vector<double> times;
  for (int i = 0; i < kRuns; ++i) {
    fs::remove(output);
    double seconds = bench::RunSeconds(argv, environment);
    if (seconds < 0) return -1;
    times.push_back(seconds);
  }
  return Median(times);
}

void WriteScript(const fs::path& path, const std::string& line) {
  std::ofstream out(path, std::ios::binary);
  out << line << "\r\nTERMINA MUDO\r\n";
}

// Prints one comparison; true when tessel reaches half the tool's speed.
bool Report(const char* what, double tessel, const char* tool, double reference) {
  double megabytes = kFileBytes / 1e6;
  std::printf("%-14s tessel %7.1f MB/s (%.3f s)   %-7s %7.1f MB/s (%.3f s)   ratio %.2f\n", what,
              megabytes / tessel, tessel, tool, megabytes / reference, reference, reference / tessel);
  return reference / tessel >= 0.5;
}

}  // namespace

int main() {
  char pattern[] = "/tmp/tessel-bench-files-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const fs::path folder = pattern;
  const fs::path source = folder / "source.bin";
  {
    // Bytes that do not repeat in short cycles, so nothing gains from them.
    std::vector<char> block(1 << 20);
    uint32_t state = 12345;
    std::ofstream out(source, std::ios::binary);
    for (size_t written = 0; written < kFileBytes; written += block.size()) {
      for (char& c : block) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
      }
      out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
  }
  const fs::path copy_script = folder / "replica.cmd", encode_script = folder / "base64.cmd";
  WriteScript(copy_script, "REPLICA \"" + source.string() + "\" \"" + (folder / "copy.bin").string() + "\"");
  WriteScript(encode_script,
              "CODARQBASE64 \"" + source.string() + "\" \"" + (folder / "encoded.b64").string() + "\"");
  const std::vector<std::string> headless = {"TESSEL_CONSOLE=headless", "TESSEL_AUDIO=null", "MIRANE_WINDIR=/tmp"};

  double tessel_copy = Measure({TESSEL_BINARY, copy_script.string()}, headless, folder / "copy.bin");
  double cp = Measure({"/bin/cp", source.string(), (folder / "cp.bin").string()}, {}, folder / "cp.bin");
  double tessel_encode = Measure({TESSEL_BINARY, encode_script.string()}, headless, folder / "encoded.b64");
  double base64 = Measure({"/bin/sh", "-c", "base64 '" + source.string() + "' > '" + (folder / "b.b64").string() + "'"},
                          {}, folder / "b.b64");
  bool copied_whole = fs::exists(folder / "copy.bin") && fs::file_size(folder / "copy.bin") == kFileBytes;
  fs::remove_all(folder);
  if (tessel_copy < 0 || cp < 0 || tessel_encode < 0 || base64 < 0 || !copied_whole) {
    std::fprintf(stderr, "a run failed\n");
    return 1;
  }
  std::printf("100 MB file, median of %d runs (tessel times include its start-up):\n", kRuns);
  bool copy_goal = Report("REPLICA", tessel_copy, "cp", cp);
  bool encode_goal = Report("CODARQBASE64", tessel_encode, "base64", base64);
  std::printf("goal (at least half the speed): REPLICA %s, CODARQBASE64 %s\n", copy_goal ? "met" : "NOT met",
              encode_goal ? "met" : "NOT met");
  return 0;
}
