// tls: a TLS client session over one connected socket (OpenSSL 3).
//
// Each session has its own connection state, so any number of TLS
// connections live side by side and closing one leaves the others working.
// The socket is non-blocking: every step answers what it waits for, and the
// caller waits on the socket before trying again. Trusted certificates come
// from the system's store (OpenSSL's default paths, which also honour the
// SSL_CERT_FILE and SSL_CERT_DIR environment variables).
#pragma once
#include <cstddef>
#include <memory>
#include <string>

#include "platform/net/socket.h"

namespace platform::net {

class TlsSession {
 public:
  enum class Step { Done, WantRead, WantWrite, Closed, Failed };

  // A session for `socket` (not owned) that names `host` to the peer (server
  // name indication, except for a numeric address) and, when `verify`,
  // accepts only a certificate that a trusted authority issued for `host`.
  // Null when OpenSSL cannot make one.
  static std::unique_ptr<TlsSession> Create(Socket socket, const std::string& host, bool verify);
  ~TlsSession();
  TlsSession(const TlsSession&) = delete;
  TlsSession& operator=(const TlsSession&) = delete;

  // One step of the client handshake.
  Step Handshake();
  // Done with `received` > 0; Closed when the peer ended the session.
  Step Read(char* data, size_t size, size_t& received);
  Step Write(const char* data, size_t size, size_t& sent);
  // OpenSSL's error code of the last step that failed.
  int LastError() const;
  // Decrypted bytes waiting inside the session.
  size_t Pending() const;
  // After a failed handshake: true when the peer's certificate was refused,
  // with the reason in English from OpenSSL.
  bool CertificateRefused(std::string& reason) const;

 private:
  struct State;
  explicit TlsSession(std::unique_ptr<State> state);
  Step Result(int result, size_t& count);
  std::unique_ptr<State> state_;
};

}  // namespace platform::net
