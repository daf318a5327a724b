// An HTTP server of the network tests, on loopback, that serves:
//   /file                 the test's data, with ranges ("Range: bytes=N-"), 416
//                         past its end
//   /drop/K/file          the same, but the connection ends after K body bytes
//   /whole                the data with 200, whatever range was asked
//   /redirect/K           K redirects (the last one relative), then /file
//   /loop                 a redirect to itself
//   /404                  404 with a body; /500 500 without a length
//   /chunked              chunked text; /nolength text without a length
//   /audio                the data as audio without a length; /audio-chunked
//                         the same in chunks; /audio-chunked-cut chunks that
//                         stop before the last one
//   /binary               the data as application/octet-stream without a length
//   /badrange             206 for a part that starts at byte 5, whatever was asked
//   /empty                200 with a length of 0
//   /stall                headers and a length, then nothing until the client
//                         leaves
//   /goto/URL             a redirect to URL
#pragma once
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "net_support.h"

namespace net_support {

class HttpServer {
 public:
  HttpServer() : server_([this](int fd) { Serve(fd); }) {}
  uint16_t port() const { return server_.port(); }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port()) + path; }
  void SetData(std::string data) {
    std::lock_guard<std::mutex> lock(mutex_);
    data_ = std::move(data);
  }
  std::vector<std::string> requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }
  // The chunked text's body once decoded.
  static std::string ChunkedText() { return "linha um\nlinha dois\r\nfim"; }

 private:
  static std::string Header(const std::string& field, const std::string& head) {
    std::string lower_head = head;
    for (char& c : lower_head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t at = lower_head.find("\n" + field + ":");
    if (at == std::string::npos) return "";
    size_t start = at + field.size() + 2;
    size_t end = head.find('\r', start);
    std::string value = head.substr(start, end - start);
    while (!value.empty() && value[0] == ' ') value.erase(0, 1);
    return value;
  }

  void Serve(int fd) {
    std::string head;
    char c;
    while (head.find("\r\n\r\n") == std::string::npos) {
      pollfd entry{fd, POLLIN, 0};
      if (poll(&entry, 1, 5000) <= 0 || recv(fd, &c, 1, 0) != 1) return;
      head += c;
    }
    std::string data;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(head);
      data = data_;
    }
    std::string path = head.substr(4, head.find(' ', 4) - 4);
    std::string origin = "http://127.0.0.1:" + std::to_string(port());
    if (path == "/file" || path.rfind("/drop/", 0) == 0) {
      size_t cut = std::string::npos;
      if (path.rfind("/drop/", 0) == 0) cut = std::stoul(path.substr(6));
      size_t from = 0;
      std::string range = Header("range", head);
      if (range.rfind("bytes=", 0) == 0) from = std::stoul(range.substr(6));
      if (from >= data.size() && !range.empty()) {
        SendText(fd, "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" + std::to_string(data.size()) +
                         "\r\nContent-Length: 0\r\n\r\n");
        return;
      }
      std::string body = data.substr(from);
      std::string answer = range.empty() ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 206 Partial Content\r\n";
      if (!range.empty())
        answer += "Content-Range: bytes " + std::to_string(from) + "-" + std::to_string(data.size() - 1) + "/" +
                  std::to_string(data.size()) + "\r\n";
      answer += "Content-Type: application/octet-stream\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n";
      SendText(fd, answer + body.substr(0, cut));
    } else if (path.rfind("/redirect/", 0) == 0) {
      int left = std::stoi(path.substr(10));
      std::string target = left <= 1 ? "/file" : origin + "/redirect/" + std::to_string(left - 1);
      SendText(fd, "HTTP/1.1 302 Found\r\nLocation: " + target + "\r\nContent-Length: 5\r\n\r\nmoved");
    } else if (path.rfind("/goto/", 0) == 0) {
      SendText(fd, "HTTP/1.1 302 Found\r\nLocation: " + path.substr(6) + "\r\nContent-Length: 0\r\n\r\n");
    } else if (path == "/loop") {
      SendText(fd, "HTTP/1.1 301 Moved\r\nLocation: " + origin + "/loop\r\nContent-Length: 0\r\n\r\n");
    } else if (path == "/404") {
      SendText(fd, "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: 17\r\n\r\n<h1>not here</h1>");
    } else if (path == "/500") {
      SendText(fd, "HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/plain\r\n\r\nserver broke\n");
    } else if (path == "/chunked") {
      SendText(fd,
               "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nTransfer-Encoding: chunked\r\n\r\n"
               "5\r\nlinha\r\n4;ext=1\r\n um\n\r\nB\r\nlinha dois\r\r\n4\r\n\nfim\r\n0\r\nX-Trailer: 1\r\n\r\n");
    } else if (path == "/nolength") {
      SendText(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\na\nb\r\nc");
    } else if (path == "/whole") {
      SendText(fd, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(data.size()) + "\r\n\r\n" + data);
    } else if (path == "/binary") {
      SendText(fd, "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n" + data);
    } else if (path == "/badrange") {
      SendText(fd, "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 5-9/10\r\nContent-Length: 5\r\n\r\n12345");
    } else if (path == "/audio") {
      SendText(fd, "HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n" + data);
    } else if (path == "/audio-chunked" || path == "/audio-chunked-cut") {
      std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\nTransfer-Encoding: chunked\r\n\r\n";
      for (size_t at = 0; at < data.size(); at += 1000) {
        std::string piece = data.substr(at, 1000);
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
        answer += size + piece + "\r\n";
      }
      if (path == "/audio-chunked") answer += "0\r\n\r\n";
      SendText(fd, answer);
    } else if (path == "/empty") {
      SendText(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 0\r\n\r\n");
    } else if (path == "/stall") {
      SendText(fd, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
      pollfd entry{fd, POLLIN, 0};
      poll(&entry, 1, 9000);
    } else {
      SendText(fd, "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
    }
  }

  std::mutex mutex_;
  std::string data_;
  std::vector<std::string> requests_;
  Server server_;  // last: its thread starts when everything else exists
};

}  // namespace net_support
