// TLS sessions over OpenSSL 3.
#include "platform/net/tls.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <signal.h>

#include <cstdlib>
#include <string>

namespace platform::net {
namespace {

// The contexts: one that verifies and one that does not. Loading the
// trusted certificates takes long, so a context lives for the program, and
// is made again only when the trusted certificates named in the environment
// change. Each session still has its own connection state.
struct Contexts {
  SSL_CTX* verifying = nullptr;
  SSL_CTX* trusting = nullptr;
  std::string trust;  // SSL_CERT_FILE and SSL_CERT_DIR the verifying one was made with
  // Kept to the end: OpenSSL cleans itself up at exit, after which no
  // context may be freed.
};

std::string TrustNamed() {
  const char* file = std::getenv("SSL_CERT_FILE");
  const char* folder = std::getenv("SSL_CERT_DIR");
  return std::string(file ? file : "") + '\n' + (folder ? folder : "");
}

// A new reference to the context for `verify`, or null.
SSL_CTX* Context(bool verify) {
  static Contexts& contexts = *new Contexts;
  if (!verify) {
    if (!contexts.trusting) {
      contexts.trusting = SSL_CTX_new(TLS_client_method());
      if (!contexts.trusting) return nullptr;
      SSL_CTX_set_verify(contexts.trusting, SSL_VERIFY_NONE, nullptr);
    }
    SSL_CTX_up_ref(contexts.trusting);
    return contexts.trusting;
  }
  std::string trust = TrustNamed();
  if (contexts.verifying && contexts.trust != trust) {
    SSL_CTX_free(contexts.verifying);
    contexts.verifying = nullptr;
  }
  if (!contexts.verifying) {
    contexts.verifying = SSL_CTX_new(TLS_client_method());
    if (!contexts.verifying) return nullptr;
    SSL_CTX_set_verify(contexts.verifying, SSL_VERIFY_PEER, nullptr);
    if (SSL_CTX_set_default_verify_paths(contexts.verifying) != 1) ERR_clear_error();
    contexts.trust = trust;
  }
  SSL_CTX_up_ref(contexts.verifying);
  return contexts.verifying;
}

}  // namespace

struct TlsSession::State {
  SSL_CTX* context = nullptr;
  SSL* ssl = nullptr;
  bool verify = false;
  bool failed = false;  // a fatal error: no shutdown message is sent
  int last_error = 0;
  ~State() {
    if (ssl) {
      // One attempt at the closing message; the socket is non-blocking, so
      // a peer that does not read never holds the program.
      if (!failed) SSL_shutdown(ssl);
      SSL_free(ssl);
    }
    if (context) SSL_CTX_free(context);
  }
};

TlsSession::TlsSession(std::unique_ptr<State> state) : state_(std::move(state)) {}
TlsSession::~TlsSession() = default;

std::unique_ptr<TlsSession> TlsSession::Create(Socket socket, const std::string& host, bool verify) {
  // OpenSSL writes to the socket itself: a peer that hung up must give an
  // error, not end the program with SIGPIPE.
  static const bool pipe_ignored = signal(SIGPIPE, SIG_IGN) != SIG_ERR;
  (void)pipe_ignored;
  auto state = std::make_unique<State>();
  state->verify = verify;
  state->context = Context(verify);
  if (!state->context) return nullptr;
  state->ssl = SSL_new(state->context);
  if (!state->ssl || SSL_set_fd(state->ssl, socket) != 1) return nullptr;
  bool numeric = IsNumericAddress(host);
  if (!numeric && !host.empty()) SSL_set_tlsext_host_name(state->ssl, host.c_str());
  if (verify) {
    X509_VERIFY_PARAM* parameters = SSL_get0_param(state->ssl);
    int set = numeric ? X509_VERIFY_PARAM_set1_ip_asc(parameters, host.c_str())
                      : X509_VERIFY_PARAM_set1_host(parameters, host.c_str(), 0);
    if (set != 1) return nullptr;
  }
  SSL_set_connect_state(state->ssl);
  return std::unique_ptr<TlsSession>(new TlsSession(std::move(state)));
}

TlsSession::Step TlsSession::Result(int result, size_t& count) {
  count = 0;
  if (result > 0) {
    count = static_cast<size_t>(result);
    return Step::Done;
  }
  int error = SSL_get_error(state_->ssl, result);
  state_->last_error = error;
  switch (error) {
    case SSL_ERROR_WANT_READ: return Step::WantRead;
    case SSL_ERROR_WANT_WRITE: return Step::WantWrite;
    case SSL_ERROR_ZERO_RETURN: return Step::Closed;
    case SSL_ERROR_SYSCALL:
      state_->failed = true;
      ERR_clear_error();
      return Step::Closed;
    default:
      state_->failed = true;
      ERR_clear_error();
      return Step::Failed;
  }
}

TlsSession::Step TlsSession::Handshake() {
  ERR_clear_error();
  size_t ignored = 0;
  int result = SSL_connect(state_->ssl);
  if (result == 1) return Step::Done;
  Step step = Result(result, ignored);
  return step == Step::Closed ? Step::Failed : step;
}

TlsSession::Step TlsSession::Read(char* data, size_t size, size_t& received) {
  ERR_clear_error();
  return Result(SSL_read(state_->ssl, data, static_cast<int>(size > 1 << 30 ? 1 << 30 : size)), received);
}

TlsSession::Step TlsSession::Write(const char* data, size_t size, size_t& sent) {
  ERR_clear_error();
  if (size == 0) {
    sent = 0;
    return Step::Done;
  }
  return Result(SSL_write(state_->ssl, data, static_cast<int>(size > 1 << 30 ? 1 << 30 : size)), sent);
}

int TlsSession::LastError() const { return state_->last_error; }

size_t TlsSession::Pending() const { return static_cast<size_t>(SSL_pending(state_->ssl)); }

bool TlsSession::CertificateRefused(std::string& reason) const {
  if (!state_->verify) return false;
  long result = SSL_get_verify_result(state_->ssl);
  if (result == X509_V_OK) return false;
  reason = X509_verify_cert_error_string(result);
  return true;
}

}  // namespace platform::net
