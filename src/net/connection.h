// connection: one TCP connection, plain or TLS, and the line reader over it.
//
// A Stream owns its socket and its TLS session; destroying it closes both.
// Every wait pumps the console's messages (net/wait.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/net/socket.h"
#include "platform/net/tls.h"

namespace net {

// Why a connection could not be made.
enum class ConnectFailure { None, NoAddress, NoConnection, Tls, Certificate };

class Stream {
 public:
  // Connects to `host` and `port`, then starts TLS when `tls` (verifying the
  // peer's certificate when `verify`). Null on failure, with nothing left
  // open; `why` tells the reason and `detail` the refused certificate's.
  static std::unique_ptr<Stream> Connect(const std::string& host, uint16_t port, bool tls, bool verify,
                                         ConnectFailure& why, std::string& detail);
  // Takes a connected socket (SERVE).
  static std::unique_ptr<Stream> Adopt(platform::net::Socket socket);
  ~Stream();
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  // Sends every byte, waiting as needed; false when the connection failed
  // before all went out (`sent` tells how many did).
  bool SendAll(const char* data, size_t size, size_t& sent);
  bool SendAll(const std::string& text) {
    size_t sent = 0;
    return SendAll(text.data(), text.size(), sent);
  }

  enum class Received { Data, Closed, TimedOut };
  // Waits at most `timeout_ms` (-1: no limit) for bytes and takes what is
  // there, up to `size`.
  Received Receive(char* data, size_t size, size_t& received, int64_t timeout_ms);
  // True when bytes can be taken at once, or the socket becomes readable
  // within `timeout_ms`.
  bool Readable(int64_t timeout_ms);

  platform::net::Socket socket() const { return socket_; }
  bool tls() const { return session_ != nullptr; }

 private:
  Stream(platform::net::Socket socket, std::unique_ptr<platform::net::TlsSession> session);
  platform::net::Socket socket_;
  std::unique_ptr<platform::net::TlsSession> session_;
};

// The read buffer of a connection: lines and bytes.
class NetReader {
 public:
  explicit NetReader(Stream* stream) : stream_(stream), data_(kSize) {}

  // True when unread bytes are held or the connection becomes readable
  // within `timeout_ms`.
  bool DataAvailable(int64_t timeout_ms);
  // The next byte; false when the connection ended (or failed).
  bool ReadByte(char& byte);
  // Up to `size` bytes: what is held, else what one receive brings (waiting
  // without limit); 0 when the connection ended.
  size_t ReadSome(char* out, size_t size);
  // One line ended by LF, without it and without one CR before it. A peer
  // that ends the connection after a partial line gives that line. False
  // when nothing came within `timeout_seconds` (0: no limit; the partial
  // line is dropped) or the connection ended with nothing read.
  bool ReadLine(std::string& line, int timeout_seconds, size_t max_size = SIZE_MAX);
  // Bytes held and not yet taken.
  size_t Held() const { return count_ - position_; }

 private:
  static constexpr size_t kSize = 65536;
  bool Refill(int64_t timeout_ms, bool& timed_out);

  Stream* stream_;
  std::vector<char> data_;
  size_t position_ = 0;
  size_t count_ = 0;
};

// [MIRANE] TIMEOUT_REDE: the wait of a readiness test, in microseconds
// (20000 when absent or not a number). Read again at each connection.
int64_t PollTimeoutUs();
void ReadPollTimeout();
// [MIRANE] VERIFICA_SSL: certificates are verified unless it is "N".
bool VerifyCertificates();

}  // namespace net
