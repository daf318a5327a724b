// TRAZDAREDE of a 200 MB file from an HTTP server on loopback, through the
// real tessel binary in headless mode, beside curl on the same file in the
// same run; and the memory the download holds, for 20 MB and 200 MB (it
// must not grow with the file). Goal: at least 0.9 of curl's speed.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 5;

// Serves every file of `folder` with a length, one request per connection,
// with sendfile, so the server costs the clients as little as it can.
class FileServer {
 public:
  explicit FileServer(fs::path folder) : folder_(std::move(folder)) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 8);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
  }
  ~FileServer() {
    stop_ = true;
    thread_.join();
    close(listener_);
  }
  std::string Url(const std::string& name) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + name;
  }

 private:
  void Run() {
    while (!stop_) {
      pollfd entry{listener_, POLLIN, 0};
      if (poll(&entry, 1, 50) <= 0) continue;
      int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      std::string head;
      char buffer[4096];
      while (head.find("\r\n\r\n") == std::string::npos) {
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        head.append(buffer, static_cast<size_t>(n));
      }
      std::string name = head.size() > 5 ? head.substr(5, head.find(' ', 5) - 5) : "";
      FILE* file = std::fopen((folder_ / name).c_str(), "rb");
      if (!file) {
        std::string answer = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
        send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
      } else {
        off_t size = static_cast<off_t>(fs::file_size(folder_ / name));
        std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                             std::to_string(size) + "\r\n\r\n";
        send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
        off_t offset = 0;
        while (offset < size && sendfile(fd, fileno(file), &offset, static_cast<size_t>(size - offset)) > 0) {
        }
        std::fclose(file);
      }
      close(fd);
    }
  }
  fs::path folder_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

struct Measured {
  double seconds = -1;
  long max_rss_kb = 0;
};

// Runs `argv` and measures wall time and the child's peak resident memory.
Measured RunOnce(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
  Measured measured;
  auto start = std::chrono::steady_clock::now();
  pid_t pid = bench::Spawn(argv, environment);
  if (pid < 0) return measured;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return measured;
  measured.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  measured.max_rss_kb = usage.ru_maxrss;
  return measured;
}

// The median time and the largest memory of kRuns runs, the output removed
// before each.
Measured Measure(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                 const fs::path& output) {
  std::vector<double> times;
  Measured result;
  for (int i = 0; i < kRuns; ++i) {
    fs::remove(output);
    Measured one = RunOnce(argv, environment);
    if (one.seconds < 0) return Measured();
    times.push_back(one.seconds);
    result.max_rss_kb = std::max(result.max_rss_kb, one.max_rss_kb);
  }
  std::sort(times.begin(), times.end());
  result.seconds = times[times.size() / 2];
  return result;
}

void MakeFile(const fs::path& path, size_t bytes) {
  std::vector<char> block(1 << 20);
  uint32_t state = 12345;
  std::ofstream out(path, std::ios::binary);
  for (size_t written = 0; written < bytes; written += block.size()) {
    for (char& c : block) {
      state = state * 1103515245u + 12345u;
      c = static_cast<char>(state >> 24);
    }
    out.write(block.data(), static_cast<std::streamsize>(std::min(block.size(), bytes - written)));
  }
}

}  // namespace

int main() {
  char pattern[] = "/tmp/tessel-bench-download-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const fs::path folder = pattern;
  const fs::path served = folder / "served";
  fs::create_directories(served);
  struct Size {
    const char* name;
    size_t bytes;
  } sizes[] = {{"20mb.bin", 20u << 20}, {"200mb.bin", 200u << 20}};
  for (const Size& size : sizes) MakeFile(served / size.name, size.bytes);
  FileServer server(served);
  std::vector<std::string> environment = {"TESSEL_CONSOLE=headless", "TESSEL_AUDIO=null",
                                          "MIRANE_WINDIR=" + folder.string()};
  bool ok = true;
  long rss[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    const Size& size = sizes[i];
    fs::path target = folder / "target.bin";
    fs::path script = folder / "download.cmd";
    {
      std::ofstream out(script, std::ios::binary);
      out << "TRAZDAREDE \"" << server.Url(size.name) << "\" \"" << target.string()
          << "\" \"0\" \"bench\" \"\" R\r\nSE R = \"1\" TERMINA MUDO\r\nTERMINA MUDO\r\n";
    }
    Measured tessel = Measure({TESSEL_BINARY, script.string()}, environment, target);
    bool same = fs::exists(target) && fs::file_size(target) == size.bytes;
    Measured curl = Measure({"/usr/bin/curl", "-s", "-o", target.string(), server.Url(size.name)}, environment, target);
    if (tessel.seconds < 0 || curl.seconds < 0 || !same) {
      std::printf("%s: a download failed (tessel %s, curl %s)\n", size.name, tessel.seconds < 0 ? "failed" : "ok",
                  curl.seconds < 0 ? "failed" : "ok");
      return 1;
    }
    double megabytes = size.bytes / 1e6;
    double ratio = curl.seconds / tessel.seconds;
    std::printf("%-10s tessel %7.1f MB/s (%.3f s, peak %ld KB)   curl %7.1f MB/s (%.3f s, peak %ld KB)   ratio %.2f\n",
                size.name, megabytes / tessel.seconds, tessel.seconds, tessel.max_rss_kb, megabytes / curl.seconds,
                curl.seconds, curl.max_rss_kb, ratio);
    rss[i] = tessel.max_rss_kb;
    if (i == 1 && ratio < 0.9) ok = false;
  }
  std::printf("memory: peak %ld KB for 20 MB, %ld KB for 200 MB (growth %ld KB)\n", rss[0], rss[1], rss[1] - rss[0]);
  if (rss[1] - rss[0] > 4096) ok = false;
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  std::printf("%s\n", ok ? "goals met: >= 0.9x curl, memory flat in the file's size" : "GOALS NOT MET");
  return ok ? 0 : 1;
}
