// The network commands and the network slots of the open-file table.
#include "net/net_commands.h"

#include <memory>

#include "console/keyboard.h"
#include "data/command_text.h"
#include "data/file_table.h"
#include "interpreter/operands.h"
#include "net/connection.h"
#include "net/http_download.h"
#include "net/wait.h"
#include "speech/settings.h"
#include "speech/speech.h"

namespace net {
namespace {

const char kPortError[] = "Erro na porta TCP/IP";
const char kConnectError[] = "Erro de conexao";

// LE on a network slot waits this long for a line.
constexpr int kLineSeconds = 30;

// A connection in a slot. A slot whose connection could not be made (an
// ATIVASSL that failed) holds no stream: it sends and receives nothing.
class NetSlot : public data::SlotConnection {
 public:
  explicit NetSlot(std::unique_ptr<Stream> stream) : stream_(std::move(stream)), reader_(stream_.get()) {}

  bool SendLine(const std::string& text, bool newline) override {
    if (!stream_) return false;
    std::string bytes = newline ? text + "\r\n" : text;
    size_t sent = 0;
    stream_->SendAll(bytes.data(), bytes.size(), sent);
    return sent > 0;
  }

  bool ReceiveLine(std::string& line) override {
    return stream_ && reader_.ReadLine(line, kLineSeconds);
  }

  bool DataWaiting() {
    if (!stream_) return false;
    int64_t timeout_ms = (PollTimeoutUs() + 999) / 1000;
    return reader_.DataAvailable(timeout_ms);
  }

  platform::net::Socket socket() const { return stream_ ? stream_->socket() : platform::net::kNoSocket; }

 private:
  std::unique_ptr<Stream> stream_;
  NetReader reader_;
};

NetSlot* NetSlotOf(char digit) { return dynamic_cast<NetSlot*>(data::ConnectionOf(digit)); }

// The last connection target of CONECTA, which ATIVASSL reuses.
struct Target {
  std::string host;
  std::string port_text;
};

Target& LastTarget() {
  static Target target;
  return target;
}

// A port operand: a whole number from 1 to 65535.
bool ParsePort(const std::string& text, uint16_t& port) {
  int32_t value = 0;
  if (!interp::ToInteger(text, value) || value < 1 || value > 65535) return false;
  port = static_cast<uint16_t>(value);
  return true;
}

// Connects; a refused certificate is always said, whatever the mode.
std::unique_ptr<Stream> Open(const std::string& host, uint16_t port, bool tls) {
  ConnectFailure why = ConnectFailure::None;
  std::string detail;
  std::unique_ptr<Stream> stream = Stream::Connect(host, port, tls, tls && VerifyCertificates(), why, detail);
  if (why == ConnectFailure::Certificate)
    speech::WriteLineSpeak("Erro SSL: o certificado de " + host + " n\xE3o foi aceito.");
  return stream;
}

}  // namespace

bool CmdInternet(const std::string& arguments) {
  std::string word = speech::UpperCasePt(arguments);
  // The system's sockets need no starting; the words stay for the scripts.
  return word == "INICIA" || word == "TERMINA";
}

bool CmdConecta(const std::string& arguments) {
  std::string rest = arguments;
  bool tls = false;
  if (data::StartsWithKeyword(rest, "SSL ")) {
    tls = true;
    rest = data::TrimmedText(std::string_view(rest).substr(4));
  }
  bool quiet = data::TakeTrailingAmpersand(rest);
  auto fail = [quiet]() {
    if (quiet) {
      data::SetIoStatus(1);
      return true;
    }
    speech::WriteLineSpeak(kConnectError);
    return false;
  };
  char digit = 0;
  std::string host, port_text;
  if (!interp::ReadFileNumber(rest, digit) || rest.empty() || !interp::ReadOperand(rest, host) ||
      !interp::ReadOperand(rest, port_text))
    return fail();
  LastTarget() = {host, port_text};
  uint16_t port = 0;
  if (!ParsePort(port_text, port)) {
    if (quiet) {
      data::SetIoStatus(2);
      return true;
    }
    speech::WriteLineSpeak(kPortError);
    return false;
  }
  std::unique_ptr<Stream> stream = Open(host, port, tls);
  if (!stream) return fail();
  data::AttachConnection(digit, std::make_unique<NetSlot>(std::move(stream)));
  if (quiet) data::SetIoStatus(0);
  return true;
}

bool CmdAtivassl(const std::string& arguments) {
  std::string rest = arguments;
  char digit = 0;
  if (!interp::ReadFileNumber(rest, digit)) return false;
  // What the slot held is closed first: the new connection replaces it.
  data::AttachConnection(digit, nullptr);
  uint16_t port = 0;
  std::unique_ptr<Stream> stream;
  if (ParsePort(LastTarget().port_text, port)) stream = Open(LastTarget().host, port, true);
  data::AttachConnection(digit, std::make_unique<NetSlot>(std::move(stream)));
  return true;
}

bool CmdServe(const std::string& arguments) {
  std::string rest = arguments;
  char digit = 0;
  std::string port_text;
  if (!interp::ReadFileNumber(rest, digit) || rest.empty() || !interp::ReadOperand(rest, port_text)) {
    speech::WriteLineSpeak(kConnectError);
    return false;
  }
  uint16_t port = 0;
  if (!ParsePort(port_text, port)) {
    speech::WriteLineSpeak(kPortError);
    return false;
  }
  platform::net::Socket listener = platform::net::Listen(port, 3);
  if (listener == platform::net::kNoSocket) {
    speech::WriteLineSpeak(kConnectError);
    return false;
  }
  // The script waits for its client; the wait pumps messages, so a key
  // that ends the program still ends it.
  platform::net::Socket client = platform::net::kNoSocket;
  bool failed = false;
  for (;;) {
    client = platform::net::Accept(listener, failed);
    if (client != platform::net::kNoSocket || failed) break;
    if (WaitSocket(listener, false, -1) == platform::net::Ready::Failed) {
      failed = true;
      break;
    }
  }
  platform::net::Close(listener);
  if (client == platform::net::kNoSocket) {
    speech::WriteLineSpeak(kConnectError);
    return false;
  }
  data::AttachConnection(digit, std::make_unique<NetSlot>(Stream::Adopt(client)));
  return true;
}

bool CmdObserva(const std::string& arguments) {
  std::string rest = arguments;
  bool keyboard = false;
  char digit = 0;
  if (data::StartsWithKeyword(rest, "TECLADO ")) {
    keyboard = true;
    rest = rest.substr(8);
  } else if (!interp::ReadFileNumber(rest, digit)) {
    return false;
  }
  rest = data::TrimmedText(rest);
  int slot = 0;
  if (!interp::ReadVariableName(rest, slot) || !rest.empty()) return false;
  bool waiting = false;
  if (keyboard) {
    waiting = console::KeyPressed();
  } else if (NetSlot* connection = NetSlotOf(digit)) {
    waiting = connection->DataWaiting();
    console::KeyPressed();
  }
  interp::SetVariable(slot, waiting ? "1" : "0");
  return true;
}

bool CmdIp(const std::string& arguments) {
  std::string rest = arguments;
  bool local = false;
  if (data::StartsWithKeyword(rest, "LOCAL ")) local = true;
  else if (!data::StartsWithKeyword(rest, "REMOTO ")) return false;
  rest = data::TrimmedText(std::string_view(rest).substr(local ? 6 : 7));
  char digit = 0;
  int slot = 0;
  if (!interp::ReadFileNumber(rest, digit) || !interp::ReadVariableName(rest, slot)) return false;
  NetSlot* connection = NetSlotOf(digit);
  if (!connection || connection->socket() < 0) return false;
  platform::net::Socket socket = connection->socket();
  interp::SetVariable(slot, local ? platform::net::LocalAddressText(socket) : platform::net::PeerAddressText(socket));
  return true;
}

bool CmdTrazdarede(const std::string& arguments) {
  std::string rest = arguments;
  DownloadRequest request;
  std::string mode;
  int slot = 0;
  if (!interp::ReadOperand(rest, request.url) || !interp::ReadOperand(rest, request.file) ||
      !interp::ReadOperand(rest, mode) || !interp::ReadOperand(rest, request.agent) ||
      !interp::ReadOperand(rest, request.cookie) || !interp::ReadVariableName(rest, slot))
    return false;
  if (mode != "0" && mode != "1") return false;
  request.click = mode == "1";
  bool complete = Download(request);
  interp::SetVariable(slot, complete ? "0" : "1");
  return true;
}

bool CmdHttp(const std::string& arguments) {
  std::string rest = arguments;
  int slot = 0;
  if (!interp::ReadVariableName(rest, slot)) return false;
  interp::SetVariable(slot, PercentEncode(interp::Variable(slot)));
  return true;
}

std::string PercentEncode(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
                 byte == '-' || byte == '.' || byte == '_' || byte == '~';
    if (plain) {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

}  // namespace net
