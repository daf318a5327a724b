// The ranged download and the text fetch.
#include "net/http_download.h"

#include <cctype>
#include <cstdio>
#include <string_view>
#include <locale>
#include <memory>
#include <stdexcept>
#include <vector>

#include "console/console.h"
#include "console/keyboard.h"
#include "interpreter/interpreter.h"
#include "net/connection.h"
#include "net/http_response.h"
#include "platform/files.h"
#include "speech/speech.h"

namespace net {
namespace {

const char kNoConnection[] = "Erro! provavelmente, n\xE3o haja conex\xE3o com a internet.";
const char kBadRequest[] = "Erro http400:Requisi\xE7\xE3o http n\xE3o foi bem formulada.";
const char kNotFound[] = "Erro http404: P\xE1gina n\xE3o encontrada.";
const char kTooManyRedirects[] = "Erro: redirecionamentos demais";
const char kBadResponse[] = "Erro http: resposta inv\xE1lida do servidor.";
const char kBadAddress[] = "Erro no endere\xE7o: ";
const char kWriteError[] = "Erro na escrita de arquivo ";
const char kResuming[] = "Retomando download";
const char kAskStop[] = "Deseja parar o download?";
const char kStopped[] = "O download foi interrompido.";

// The longest status or header line a download accepts.
constexpr size_t kMaxHeaderLine = 16384;
constexpr size_t kBlock = 4096;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

char DecimalSeparator() {
  try {
    return std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point();
  } catch (const std::runtime_error&) {
    return '.';
  }
}

// Three significant digits in the general format, cut before an exponent.
std::string ThreeDigits(double value, char separator) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3G", value);
  std::string result = text;
  size_t exponent = result.find('E');
  if (exponent != std::string::npos) result.erase(exponent);
  for (char& c : result)
    if (c == '.') c = separator;
  return result;
}

void SayConnectFailure(ConnectFailure why, const std::string& host) {
  if (why == ConnectFailure::Certificate) {
    speech::WriteLineSpeak("Erro SSL: o certificado de " + host + " n\xE3o foi aceito.");
  } else if (why == ConnectFailure::Tls) {
    speech::WriteLineSpeak("Erro SSL: n\xE3o foi poss\xEDvel conversar com " + host + ".");
  } else {
    speech::WriteLineSpeak(kNoConnection);
  }
}

// One response on its own connection.
struct Exchange {
  std::unique_ptr<Stream> stream;
  std::unique_ptr<NetReader> reader;
  ResponseHead head;
};

// Connects, sends `request` and reads the status line and headers. False
// (said) when the connection or the response failed.
bool Ask(const HttpUrl& url, const std::string& request, Exchange& exchange) {
  ConnectFailure why = ConnectFailure::None;
  std::string detail;
  exchange.stream = Stream::Connect(url.host, url.port, url.https, VerifyCertificates(), why, detail);
  if (!exchange.stream) {
    SayConnectFailure(why, url.host);
    return false;
  }
  exchange.reader = std::make_unique<NetReader>(exchange.stream.get());
  std::string line;
  if (!exchange.stream->SendAll(request) || !exchange.reader->ReadLine(line, 0, kMaxHeaderLine) ||
      !ParseStatusLine(line, exchange.head.status)) {
    speech::WriteLineSpeak(kBadResponse);
    return false;
  }
  // An interim answer (100 Continue) comes before the real one.
  for (;;) {
    bool ended = !exchange.reader->ReadLine(line, 0, kMaxHeaderLine);
    if (line.size() > kMaxHeaderLine) {
      speech::WriteLineSpeak(kBadResponse);
      return false;
    }
    if (ended || line.empty()) {
      if (exchange.head.status >= 100 && exchange.head.status < 200 && !ended) {
        if (!exchange.reader->ReadLine(line, 0, kMaxHeaderLine) || !ParseStatusLine(line, exchange.head.status)) {
          speech::WriteLineSpeak(kBadResponse);
          return false;
        }
        continue;
      }
      return true;
    }
    if (!ParseHeaderLine(line, exchange.head)) {
      speech::WriteLineSpeak(kBadResponse);
      return false;
    }
  }
}

// The body of a response, as its framing says: a known length, chunks, or
// everything up to the end of the connection.
class BodyReader {
 public:
  BodyReader(NetReader& reader, const ResponseHead& head)
      : reader_(reader), chunked_(head.chunked), known_(!head.chunked && head.has_length),
        remaining_(head.length) {}

  // Up to `size` body bytes; 0 at the end of the body or of the connection.
  size_t Read(char* out, size_t size) {
    if (chunked_) return ReadChunked(out, size);
    if (known_) {
      if (remaining_ <= 0) return 0;
      if (static_cast<int64_t>(size) > remaining_) size = static_cast<size_t>(remaining_);
    }
    size_t got = reader_.ReadSome(out, size);
    if (known_) remaining_ -= static_cast<int64_t>(got);
    return got;
  }

  // The body arrived whole (for a body read to the end of the connection,
  // the end is all there is to know).
  bool Complete() const {
    if (chunked_) return decoder_.state() == ChunkedDecoder::State::Done && decoded_.size() == taken_;
    return known_ ? remaining_ == 0 : true;
  }

 private:
  size_t ReadChunked(char* out, size_t size) {
    while (taken_ == decoded_.size()) {
      decoded_.clear();
      taken_ = 0;
      if (decoder_.state() != ChunkedDecoder::State::More) return 0;
      char input[kBlock];
      size_t got = reader_.ReadSome(input, sizeof input);
      if (got == 0) return 0;
      size_t used = 0;
      decoder_.Feed(input, got, decoded_, used);
    }
    size_t take = decoded_.size() - taken_;
    if (take > size) take = size;
    decoded_.copy(out, take, taken_);
    taken_ += take;
    return take;
  }

  NetReader& reader_;
  bool chunked_;
  bool known_;
  int64_t remaining_;
  ChunkedDecoder decoder_;
  std::string decoded_;
  size_t taken_ = 0;
};

// Says what an answer other than 200 or 206 means.
void SayStatus(int status) {
  if (status == 400) speech::WriteLineSpeak(kBadRequest);
  else if (status == 404) speech::WriteLineSpeak(kNotFound);
  else speech::WriteLineSpeak("Erro http" + std::to_string(status) + ".");
}

bool StartsWithKeyword(const std::string& text, std::string_view upper) {
  if (text.size() < upper.size()) return false;
  for (size_t i = 0; i < upper.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) != upper[i]) return false;
  return true;
}

void ProgressReport(int64_t size, int64_t total, const std::string& file) {
  char separator = DecimalSeparator();
  speech::Speak(ProgressShare(size, total, separator));
  if (total >= 0) speech::Speak(ProgressWritten(size, separator));
  speech::Speak("Arquivo: " + file);
  speech::Speak("");
}

// The keys of one block; true when the user chose to stop.
bool HandleKey(bool& click, int64_t size, int64_t total, const std::string& file) {
  if (!console::KeyPressed()) return false;
  uint8_t key = console::ReadKey();
  if (key == 0) {
    console::ReadKey();  // an extended key: its code is not a choice
    return false;
  }
  if (key == 13) {
    ProgressReport(size, total, file);
  } else if (key == ' ') {
    click = !click;
  } else if (key == 27) {
    speech::WriteLineSpeak(kAskStop);
    char answer = speech::ReadKeySay();
    console::ConsoleWriteLine(std::string(1, answer));
    if (answer == 'S' || answer == 's') {
      speech::WriteLineSpeak(kStopped);
      return true;
    }
  }
  return false;
}

// The text fetch: the URL asked again, its body written as lines ended by
// CR LF, and one empty line after them.
bool TextFetch(const HttpUrl& url, const DownloadRequest& request) {
  std::string ask = "GET " + url.path + " HTTP/1.1\r\n";
  ask += "Host: " + url.HostHeader() + "\r\n";
  ask += "User-Agent: " + request.agent + "\r\n";
  ask += "Connection: close\r\nAccept-Language: pt-br\r\nUA-CPU: x86\r\n";
  if (!request.cookie.empty()) ask += "Cookie: " + request.cookie + "\r\n";
  ask += "\r\n";
  Exchange exchange;
  if (!Ask(url, ask, exchange)) return false;
  if (exchange.head.status != 200) {
    SayStatus(exchange.head.status);
    return false;
  }
  FilePointer file(platform::files::Open(request.file, "wb"));
  if (!file) {
    speech::WriteLineSpeak(kWriteError + request.file);
    return false;
  }
  BodyReader body(*exchange.reader, exchange.head);
  std::string line;
  bool written = true;
  auto put_line = [&](const std::string& text) {
    written = written && std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() &&
              std::fwrite("\r\n", 1, 2, file.get()) == 2;
  };
  char block[kBlock];
  for (;;) {
    size_t got = body.Read(block, sizeof block);
    if (got == 0) break;
    for (size_t i = 0; i < got; ++i) {
      if (block[i] != '\n') {
        line += block[i];
        continue;
      }
      if (!line.empty() && line.back() == '\r') line.pop_back();
      put_line(line);
      line.clear();
    }
  }
  if (!line.empty()) {
    if (line.back() == '\r') line.pop_back();
    put_line(line);
  }
  put_line("");
  if (std::fclose(file.release()) != 0) written = false;
  if (!written) {
    speech::WriteLineSpeak(kWriteError + request.file);
    return false;
  }
  return body.Complete();
}

}  // namespace

std::string ProgressShare(int64_t size, int64_t total, char separator) {
  if (total < 0) return std::to_string(size) + " bytes escritos em disco.";
  double share = total > 0 ? static_cast<double>(size) / static_cast<double>(total) * 100.0 : 100.0;
  std::string text = "Recebidos: " + ThreeDigits(share, separator) + "% de ";
  if (total >= 1073741824) text += std::to_string(total / 1073741824) + "GB.";
  else if (total >= 1048576) text += std::to_string(total / 1048576) + "MB.";
  else if (total < 1024) text += std::to_string(total) + "Bytes.";
  else text += std::to_string(total / 1024) + "KB.";
  return text;
}

std::string ProgressWritten(int64_t size, char separator) {
  double value = static_cast<double>(size);
  if (size >= 1073741824) return ThreeDigits(value / 1073741824, separator) + " GigaBytes gravados.";
  if (size >= 1048576) return ThreeDigits(value / 1048576, separator) + " MegaBytes gravados.";
  if (size >= 1024) return ThreeDigits(value / 1024, separator) + " KBytes gravados.";
  return std::to_string(size) + " Bytes gravados.";
}

bool Download(const DownloadRequest& request) {
  bool ensaio = interp::CurrentBuild() == interp::Build::Ensaio;
  std::string current = request.url;
  for (int redirects = 0;; ++redirects) {
    HttpUrl url;
    if (!SplitUrl(current, url)) {
      speech::WriteLineSpeak(kBadAddress + current);
      return false;
    }
    int64_t offset = platform::files::FileSize(request.file);
    bool resume = offset >= 0;
    if (!resume) offset = 0;

    std::string ask = "GET " + url.path + (ensaio ? " HTTP/1.0\r\n" : " HTTP/1.1\r\n");
    ask += "User-Agent: " + request.agent + "\r\n";
    ask += "Accept: */*\r\n";
    if (!ensaio) ask += "Accept-Encoding: identity\r\n";
    ask += "Host: " + url.HostHeader() + "\r\n";
    ask += ensaio ? "Connection: close\r\n" : "Connection: Close\r\n";
    if (resume) ask += "Range: bytes=" + std::to_string(offset) + "-\r\n";
    if (!request.cookie.empty()) ask += "Cookie: " + request.cookie + "\r\n";
    ask += "\r\n";

    Exchange exchange;
    if (!Ask(url, ask, exchange)) return false;
    const ResponseHead& head = exchange.head;
    int status = head.status;

    if (status != 200 && status != 206 && head.has_location) {
      if (redirects >= kMaxRedirects) {
        speech::WriteLineSpeak(kTooManyRedirects);
        return false;
      }
      current = ResolveLocation(url, head.location);
      continue;
    }
    // Asked for the bytes after the end of a file that is already whole.
    if (status == 416 && resume && offset > 0 && (head.range_total < 0 || head.range_total == offset)) return true;
    if (status != 200 && status != 206) {
      SayStatus(status);
      return false;
    }
    // A part that does not start where the file ends would be misplaced.
    if (status == 206 && head.range_start >= 0 && head.range_start != offset) {
      speech::WriteLineSpeak(kBadResponse);
      return false;
    }
    // Without a length a body runs to the end of the connection; streamed
    // audio may announce a length of 0 for it.
    bool audio = StartsWithKeyword(head.content_type, "AUDIO");
    bool open_length = !head.has_length || head.chunked || (head.length == 0 && audio);
    // Text without a length is fetched again as lines; anything else is
    // kept byte for byte.
    bool text = head.content_type.empty() || StartsWithKeyword(head.content_type, "TEXT");
    if (open_length && text && !ensaio) {
      exchange = Exchange();
      return TextFetch(url, request);
    }
    if (status == 206) speech::WriteLineSpeak(kResuming);
    else offset = 0;

    std::vector<char> file_buffer(65536);  // outlives the file, which writes through it
    FilePointer file(platform::files::Open(request.file, status == 206 ? "ab" : "wb"));
    if (!file) {
      speech::WriteLineSpeak(kWriteError + request.file);
      return false;
    }
    std::setvbuf(file.get(), file_buffer.data(), _IOFBF, file_buffer.size());

    BodyReader body(*exchange.reader, head);
    int64_t total = open_length ? -1 : head.length + offset;
    int64_t size = offset;
    bool click = request.click;
    bool stopped = false;
    bool written = true;
    char block[kBlock];
    for (;;) {
      size_t want = sizeof block;
      size_t got = 0;
      while (got < want) {
        size_t n = body.Read(block + got, want - got);
        if (n == 0) break;
        got += n;
      }
      if (got > 0) {
        if (std::fwrite(block, 1, got, file.get()) != got) {
          written = false;
          break;
        }
        size += static_cast<int64_t>(got);
        if (click) speech::PlayClick();
      }
      if (got < want) break;
      if (HandleKey(click, size, total, request.file)) {
        stopped = true;
        break;
      }
    }
    if (std::fclose(file.release()) != 0) written = false;
    if (!written) {
      speech::WriteLineSpeak(kWriteError + request.file);
      return false;
    }
    if (stopped) return open_length;
    return body.Complete();
  }
}

}  // namespace net
