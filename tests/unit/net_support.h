// Loopback peers for the network tests, each on a free port of its own and
// ended by the test: a line peer, a TLS peer on OpenSSL, an HTTP server; and
// a runner of the real tessel binary in headless mode.
#pragma once
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace net_support {

namespace fs = std::filesystem;

// A listening socket on 127.0.0.1 and a free port.
inline int ListenLoopback(uint16_t& port) {
  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int one = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 16) != 0) {
    close(listener);
    return -1;
  }
  socklen_t length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return listener;
}

// A port nobody listens on (taken and given back at once).
inline uint16_t ClosedPort() {
  uint16_t port = 0;
  int listener = ListenLoopback(port);
  close(listener);
  return port;
}

// Connects to 127.0.0.1:port, trying again for up to five seconds (for a
// server the program under test is starting). -1 when it never answers.
inline int ConnectLoopback(uint16_t port) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < until) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    close(fd);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}

inline bool SendText(int fd, const std::string& text) {
  size_t sent = 0;
  while (sent < text.size()) {
    ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

// One line (LF ended, CR removed) within `timeout_ms`; false at the end.
inline bool ReceiveLine(int fd, std::string& line, int timeout_ms = 5000) {
  line.clear();
  for (;;) {
    pollfd entry{fd, POLLIN, 0};
    if (poll(&entry, 1, timeout_ms) <= 0) return false;
    char c;
    if (recv(fd, &c, 1, 0) != 1) return !line.empty();
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    line += c;
  }
}

// Accepts clients on its own thread and hands each to `serve` on a thread of
// its own; destroying it waits for them (each handler ends by itself).
class Server {
 public:
  using Handler = std::function<void(int fd)>;
  explicit Server(Handler serve) : serve_(std::move(serve)) {
    listener_ = ListenLoopback(port_);
    thread_ = std::thread([this] { Run(); });
  }
  ~Server() {
    stop_ = true;
    thread_.join();
    for (auto& client : clients_) client.join();
    close(listener_);
  }
  uint16_t port() const { return port_; }
  int accepted() const { return accepted_; }

 private:
  void Run() {
    while (!stop_) {
      pollfd entry{listener_, POLLIN, 0};
      if (poll(&entry, 1, 20) <= 0) continue;
      int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      ++accepted_;
      clients_.emplace_back([this, fd] {
        serve_(fd);
        close(fd);
      });
    }
  }
  Handler serve_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> accepted_{0};
  std::vector<std::thread> clients_;
  std::thread thread_;
};

// Certificates made for the tests with the openssl program: an authority,
// a server certificate for "localhost" and 127.0.0.1, and one for another
// name.
class Certificates {
 public:
  Certificates() {
    char pattern[] = "/tmp/tessel-certs-XXXXXX";
    folder_ = mkdtemp(pattern);
    std::string f = folder_.string();
    std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    std::string quiet = " >/dev/null 2>&1";
    std::string commands =
        "cd " + f + " && openssl req -x509" + key + " -keyout ca.key -out ca.pem -subj /CN=TesselTestCA -days 2" +
        quiet + " && " + Leaf("good", "localhost", "DNS:localhost,IP:127.0.0.1") + " && " +
        Leaf("wrong", "wrong.example", "DNS:wrong.example");
    ok_ = std::system(commands.c_str()) == 0;
  }
  ~Certificates() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  bool ok() const { return ok_; }
  std::string ca() const { return (folder_ / "ca.pem").string(); }
  std::string cert(const std::string& name) const { return (folder_ / (name + ".pem")).string(); }
  std::string key(const std::string& name) const { return (folder_ / (name + ".key")).string(); }

 private:
  static std::string Leaf(const std::string& name, const std::string& cn, const std::string& san) {
    return "openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout " + name + ".key -out " +
           name + ".csr -subj /CN=" + cn + " >/dev/null 2>&1 && printf 'subjectAltName=" + san + "' > " + name +
           ".ext && openssl x509 -req -in " + name + ".csr -CA ca.pem -CAkey ca.key -CAcreateserial -out " + name +
           ".pem -days 2 -extfile " + name + ".ext >/dev/null 2>&1";
  }
  fs::path folder_;
  bool ok_ = false;
};

// A TLS peer: takes clients one after another, records the server name each
// asked for, and answers each line with "eco: " and the line.
class TlsServer {
 public:
  TlsServer(const std::string& cert, const std::string& key) {
    // OpenSSL writes to the socket itself: a client that left must not end
    // the test program.
    signal(SIGPIPE, SIG_IGN);
    context_ = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate_chain_file(context_, cert.c_str());
    SSL_CTX_use_PrivateKey_file(context_, key.c_str(), SSL_FILETYPE_PEM);
    SSL_CTX_set_tlsext_servername_callback(context_, &TlsServer::OnName);
    SSL_CTX_set_tlsext_servername_arg(context_, this);
    server_ = std::make_unique<Server>([this](int fd) { Serve(fd); });
  }
  ~TlsServer() {
    server_.reset();
    SSL_CTX_free(context_);
  }
  uint16_t port() const { return server_->port(); }
  std::vector<std::string> names() {
    std::lock_guard<std::mutex> lock(mutex_);
    return names_;
  }
  std::vector<std::string> lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  int handshakes() const { return handshakes_; }
  // From now on each client gets an HTTP answer with this body instead of
  // the echo.
  void AnswerHttp(const std::string& body) {
    std::lock_guard<std::mutex> lock(mutex_);
    http_body_ = body;
  }

 private:
  static int OnName(SSL* ssl, int*, void* self) {
    const char* name = SSL_get_servername(ssl, TLSEXT_NAMETYPE_host_name);
    auto* server = static_cast<TlsServer*>(self);
    std::lock_guard<std::mutex> lock(server->mutex_);
    server->names_.push_back(name ? name : "");
    return SSL_TLSEXT_ERR_OK;
  }
  void Serve(int fd) {
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    SSL* ssl = SSL_new(context_);
    SSL_set_fd(ssl, fd);
    std::string http_body;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      http_body = http_body_;
    }
    if (SSL_accept(ssl) == 1 && !http_body.empty()) {
      ++handshakes_;
      std::string head;
      char c;
      while (head.find("\r\n\r\n") == std::string::npos && SSL_read(ssl, &c, 1) == 1) head += c;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.push_back(head);
      }
      std::string answer = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(http_body.size()) + "\r\n\r\n" +
                           http_body;
      SSL_write(ssl, answer.data(), static_cast<int>(answer.size()));
      SSL_shutdown(ssl);
    } else if (SSL_is_init_finished(ssl)) {
      ++handshakes_;
      std::string line;
      char c;
      while (SSL_read(ssl, &c, 1) == 1) {
        if (c != '\n') {
          line += c;
          continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        {
          std::lock_guard<std::mutex> lock(mutex_);
          lines_.push_back(line);
        }
        if (line == "tchau") break;
        std::string answer = "eco: " + line + "\r\n";
        SSL_write(ssl, answer.data(), static_cast<int>(answer.size()));
        line.clear();
      }
      SSL_shutdown(ssl);
    }
    SSL_free(ssl);
    ERR_clear_error();
  }
  SSL_CTX* context_ = nullptr;
  std::unique_ptr<Server> server_;
  std::mutex mutex_;
  std::vector<std::string> names_, lines_;
  std::string http_body_;
  std::atomic<int> handshakes_{0};
};

// The result of one run of tessel.
struct TesselRun {
  int exit_code = -1;
  std::string screen, log, stderr_text;
  double seconds = 0;
  bool ScreenHas(const std::string& text) const { return screen.find(text) != std::string::npos; }
  bool LogHas(const std::string& line) const { return ("\n" + log).find("\n" + line + "\n") != std::string::npos; }
};

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const fs::path& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary);
  out << contents;
}

// Runs `script` (Latin-1 lines) with tessel in headless mode, in `folder`
// (the working folder, drive C and the Windows folder), with `keys` as the key
// script and `ini` as MIRANE.INI. Killed after `limit_seconds`.
inline TesselRun RunTessel(const fs::path& folder, const std::string& script, const std::string& keys = "",
                     const std::string& ini = "", const std::vector<std::string>& extra_environment = {},
                     int limit_seconds = 20) {
  WriteFile(folder / "test.cmd", script);
  WriteFile(folder / "keys.txt", keys);
  WriteFile(folder / "MIRANE.INI", ini);
  std::vector<std::string> ours = {"TESSEL_CONSOLE=headless", "TESSEL_AUDIO=null", "LC_ALL=C",
                                   "TESSEL_SCREEN=" + (folder / "screen.txt").string(),
                                   "TESSEL_LOG=" + (folder / "log.txt").string(),
                                   "TESSEL_KEYS=" + (folder / "keys.txt").string(),
                                   "MIRANE_WINDIR=" + folder.string(), "MIRANE_DRIVE_C=" + folder.string()};
  ours.insert(ours.end(), extra_environment.begin(), extra_environment.end());
  // What the run sets replaces what the test's own environment holds.
  auto overridden = [&](const std::string& entry) {
    std::string name = entry.substr(0, entry.find('=') + 1);
    for (const auto& own : ours)
      if (own.compare(0, name.size(), name) == 0) return true;
    return false;
  };
  std::vector<std::string> environment;
  for (char** entry = environ; *entry; ++entry)
    if (!overridden(*entry)) environment.push_back(*entry);
  environment.insert(environment.end(), ours.begin(), ours.end());
  std::vector<std::string> argv = {TESSEL_BINARY, (folder / "test.cmd").string()};
  std::vector<char*> args, envs;
  for (auto& arg : argv) args.push_back(arg.data());
  args.push_back(nullptr);
  for (auto& entry : environment) envs.push_back(entry.data());
  envs.push_back(nullptr);
  std::string error_file = (folder / "stderr.txt").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, error_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  TesselRun run;
  auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  int error = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), envs.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return run;
  int status = 0;
  for (;;) {
    if (waitpid(pid, &status, WNOHANG) == pid) break;
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(limit_seconds)) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.screen = ReadFile(folder / "screen.txt");
  run.log = ReadFile(folder / "log.txt");
  run.stderr_text = ReadFile(folder / "stderr.txt");
  return run;
}

}  // namespace net_support
