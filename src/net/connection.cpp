// Plain and TLS connections, and the read buffer.
#include "net/connection.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "console/console.h"
#include "interpreter/operands.h"
#include "platform/clock.h"
#include "net/wait.h"
#include "speech/settings.h"

namespace net {
namespace {

using platform::net::Ready;
using platform::net::Socket;
using platform::net::TlsSession;

// The longest a TLS handshake may take once the connection is made.
constexpr int64_t kHandshakeMs = 30000;

int64_t g_poll_timeout_us = 20000;

int64_t RealMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Runs the handshake to its end, waiting on the socket.
bool Handshake(Socket socket, TlsSession& session) {
  int64_t start = RealMs();
  for (;;) {
    TlsSession::Step step = session.Handshake();
    if (step == TlsSession::Step::Done) return true;
    if (step != TlsSession::Step::WantRead && step != TlsSession::Step::WantWrite) return false;
    int64_t left = kHandshakeMs - (RealMs() - start);
    if (left <= 0) return false;
    if (WaitSocket(socket, step == TlsSession::Step::WantWrite, left) == Ready::Failed) return false;
  }
}

// Looks a name up on a thread of its own while the console's messages are
// handled, so a resolver that does not answer never holds the program
// beyond a key press.
std::vector<platform::net::Address> ResolvePumping(const std::string& host) {
  if (platform::net::IsNumericAddress(host)) return platform::net::Resolve(host);
  struct Lookup {
    std::mutex mutex;
    std::condition_variable done_signal;
    bool done = false;
    std::vector<platform::net::Address> found;
  };
  auto lookup = std::make_shared<Lookup>();
  std::thread([lookup, host] {
    std::vector<platform::net::Address> found = platform::net::Resolve(host);
    std::lock_guard<std::mutex> lock(lookup->mutex);
    lookup->found = std::move(found);
    lookup->done = true;
    lookup->done_signal.notify_all();
  }).detach();
  std::unique_lock<std::mutex> lock(lookup->mutex);
  while (!lookup->done) {
    int64_t before = RealMs();
    if (lookup->done_signal.wait_for(lock, std::chrono::milliseconds(20), [&] { return lookup->done; })) break;
    lock.unlock();
    platform::AdvanceTo(platform::NowMs() + (RealMs() - before));
    console::PumpMessages();
    lock.lock();
  }
  return lookup->found;
}

}  // namespace

int64_t PollTimeoutUs() { return g_poll_timeout_us; }

void ReadPollTimeout() {
  g_poll_timeout_us = 20000;
  int32_t value = 0;
  std::string text = speech::ReadSetting("MIRANE", "TIMEOUT_REDE");
  if (!text.empty() && interp::ToInteger(text, value) && value >= 0) g_poll_timeout_us = value;
}

bool VerifyCertificates() {
  std::string text = interp::TrimBlanks(speech::ReadSetting("MIRANE", "VERIFICA_SSL"));
  return speech::UpperCasePt(text) != "N";
}

Stream::Stream(Socket socket, std::unique_ptr<TlsSession> session) : socket_(socket), session_(std::move(session)) {}

Stream::~Stream() {
  session_.reset();
  platform::net::Close(socket_);
}

std::unique_ptr<Stream> Stream::Adopt(Socket socket) {
  return std::unique_ptr<Stream>(new Stream(socket, nullptr));
}

std::unique_ptr<Stream> Stream::Connect(const std::string& host, uint16_t port, bool tls, bool verify,
                                        ConnectFailure& why, std::string& detail) {
  why = ConnectFailure::NoAddress;
  detail.clear();
  for (const platform::net::Address& address : ResolvePumping(host)) {
    why = ConnectFailure::NoConnection;
    bool pending = false;
    Socket socket = platform::net::StartConnect(address, port, pending);
    if (socket == platform::net::kNoSocket) continue;
    // The system's own connect timeout ends a connection that never comes.
    if (pending && (WaitSocket(socket, true, -1) != Ready::Yes || platform::net::ConnectError(socket) != 0)) {
      platform::net::Close(socket);
      continue;
    }
    // Owned from here on: every way out below closes it.
    std::unique_ptr<Stream> stream(new Stream(socket, nullptr));
    ReadPollTimeout();
    if (!tls) {
      why = ConnectFailure::None;
      return stream;
    }
    std::unique_ptr<TlsSession> session = TlsSession::Create(socket, host, verify);
    if (!session) {
      why = ConnectFailure::Tls;
      return nullptr;
    }
    if (!Handshake(socket, *session)) {
      why = session->CertificateRefused(detail) ? ConnectFailure::Certificate : ConnectFailure::Tls;
      return nullptr;
    }
    stream->session_ = std::move(session);
    why = ConnectFailure::None;
    return stream;
  }
  return nullptr;
}

bool Stream::SendAll(const char* data, size_t size, size_t& sent) {
  sent = 0;
  while (sent < size) {
    size_t done = 0;
    bool want_read = false;
    if (session_) {
      TlsSession::Step step = session_->Write(data + sent, size - sent, done);
      if (step == TlsSession::Step::Closed || step == TlsSession::Step::Failed) return false;
      want_read = step == TlsSession::Step::WantRead;
    } else {
      platform::net::Io io = platform::net::Send(socket_, data + sent, size - sent, done);
      if (io == platform::net::Io::Closed || io == platform::net::Io::Failed) return false;
    }
    sent += done;
    if (done == 0 && WaitSocket(socket_, !want_read, -1) == Ready::Failed) return false;
  }
  return true;
}

Stream::Received Stream::Receive(char* data, size_t size, size_t& received, int64_t timeout_ms) {
  received = 0;
  int64_t start = RealMs();
  for (;;) {
    bool want_write = false;
    if (session_) {
      TlsSession::Step step = session_->Read(data, size, received);
      if (step == TlsSession::Step::Done) return Received::Data;
      if (step == TlsSession::Step::Failed) {
        // Shown for whoever looks at the screen; the read ends as a closed
        // connection does.
        console::ConsoleWriteLine("Erro SSL: " + std::to_string(session_->LastError()));
        return Received::Closed;
      }
      if (step == TlsSession::Step::Closed) return Received::Closed;
      want_write = step == TlsSession::Step::WantWrite;
    } else {
      platform::net::Io io = platform::net::Receive(socket_, data, size, received);
      if (io == platform::net::Io::Done) return Received::Data;
      if (io != platform::net::Io::WouldBlock) return Received::Closed;
    }
    int64_t left = -1;
    if (timeout_ms >= 0) {
      left = timeout_ms - (RealMs() - start);
      if (left <= 0) return Received::TimedOut;
    }
    Ready ready = WaitSocket(socket_, want_write, left);
    if (ready == Ready::Failed) return Received::Closed;
    if (ready == Ready::No) return Received::TimedOut;
  }
}

bool Stream::Readable(int64_t timeout_ms) {
  if (session_ && session_->Pending() > 0) return true;
  return WaitSocket(socket_, false, timeout_ms) != Ready::No;
}

bool NetReader::Refill(int64_t timeout_ms, bool& timed_out) {
  timed_out = false;
  position_ = count_ = 0;
  if (!stream_) return false;
  size_t received = 0;
  Stream::Received result = stream_->Receive(data_.data(), data_.size(), received, timeout_ms);
  if (result == Stream::Received::TimedOut) {
    timed_out = true;
    return false;
  }
  count_ = received;
  return result == Stream::Received::Data;
}

bool NetReader::DataAvailable(int64_t timeout_ms) {
  return Held() > 0 || (stream_ && stream_->Readable(timeout_ms));
}

bool NetReader::ReadByte(char& byte) {
  bool timed_out = false;
  if (position_ >= count_ && !Refill(-1, timed_out)) return false;
  byte = data_[position_++];
  return true;
}

size_t NetReader::ReadSome(char* out, size_t size) {
  bool timed_out = false;
  if (position_ >= count_ && !Refill(-1, timed_out)) return 0;
  size_t take = Held() < size ? Held() : size;
  std::copy(data_.begin() + static_cast<ptrdiff_t>(position_),
            data_.begin() + static_cast<ptrdiff_t>(position_ + take), out);
  position_ += take;
  return take;
}

bool NetReader::ReadLine(std::string& line, int timeout_seconds, size_t max_size) {
  line.clear();
  int64_t deadline = timeout_seconds > 0 ? RealMs() + int64_t{timeout_seconds} * 1000 : -1;
  for (;;) {
    if (position_ >= count_) {
      int64_t left = -1;
      if (deadline >= 0) {
        left = deadline - RealMs();
        if (left < 0) left = 0;
      }
      bool timed_out = false;
      if (!Refill(left, timed_out)) {
        if (timed_out) {
          line.clear();
          return false;
        }
        break;  // the connection ended
      }
    }
    const char* start = data_.data() + position_;
    const char* stop = data_.data() + count_;
    const char* at = start;
    while (at < stop && *at != '\n') ++at;
    line.append(start, at);
    position_ = static_cast<size_t>(at - data_.data());
    if (at < stop) {
      ++position_;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    if (line.size() > max_size) return false;
  }
  if (line.empty()) return false;
  if (line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace net
