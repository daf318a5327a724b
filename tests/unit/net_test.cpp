// The network module in process: the HTTP pieces, the progress texts, the
// line reader over real loopback connections, TLS with certificates made for
// the test, and the descriptors failed connections leave.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "data/file_table.h"
#include "net/connection.h"
#include "net/http_download.h"
#include "net/http_response.h"
#include "net/net_commands.h"
#include "net_support.h"
#include "platform/net/socket.h"
#include "test_support.h"

namespace {

using namespace net_support;

TEST(HttpUrlSplit, Cases) {
  struct Case {
    const char* url;
    bool ok, https;
    const char* host;
    int port;
    const char* path;
    const char* host_header;
  } cases[] = {
      {"http://exemplo.com.br/a/b.zip", true, false, "exemplo.com.br", 80, "/a/b.zip", "exemplo.com.br"},
      {"HTTPS://exemplo.com.br", true, true, "exemplo.com.br", 443, "/", "exemplo.com.br"},
      {"http://host:8080/x", true, false, "host", 8080, "/x", "host:8080"},
      {"https://host:443/x", true, true, "host", 443, "/x", "host"},
      {"http://host:80?q=1", true, false, "host", 80, "/?q=1", "host"},
      {"http://[::1]:81/y", true, false, "::1", 81, "/y", "[::1]:81"},
      {"http://user:pw@host/z#frag", true, false, "host", 80, "/z", "host"},
      {"http://host:abc/", false, false, "", 0, "", ""},
      {"http://host:70000/", false, false, "", 0, "", ""},
      {"host/sem/esquema", false, false, "", 0, "", ""},
      {"http:///caminho", false, false, "", 0, "", ""},
  };
  for (const Case& c : cases) {
    net::HttpUrl url;
    ASSERT_EQ(net::SplitUrl(c.url, url), c.ok) << c.url;
    if (!c.ok) continue;
    EXPECT_EQ(url.https, c.https) << c.url;
    EXPECT_EQ(url.host, c.host) << c.url;
    EXPECT_EQ(url.port, c.port) << c.url;
    EXPECT_EQ(url.path, c.path) << c.url;
    EXPECT_EQ(url.HostHeader(), c.host_header) << c.url;
  }
}

TEST(HttpUrlSplit, LocationsResolveAgainstTheCurrentUrl) {
  net::HttpUrl base;
  ASSERT_TRUE(net::SplitUrl("http://h:81/pasta/arq?x", base));
  EXPECT_EQ(net::ResolveLocation(base, "https://outro/y"), "https://outro/y");
  EXPECT_EQ(net::ResolveLocation(base, "/raiz"), "http://h:81/raiz");
  EXPECT_EQ(net::ResolveLocation(base, "irmao"), "http://h:81/pasta/irmao");
  EXPECT_EQ(net::ResolveLocation(base, "//cdn/z"), "http://cdn/z");
}

TEST(HttpResponse, StatusLines) {
  int status = 0;
  EXPECT_TRUE(net::ParseStatusLine("HTTP/1.1 206 Partial Content", status));
  EXPECT_EQ(status, 206);
  EXPECT_TRUE(net::ParseStatusLine("HTTP/1.0 404", status));
  EXPECT_EQ(status, 404);
  for (const char* bad : {"HTTP/1.1 2x0 OK", "HTTP/1.1", "SSH-2.0-OpenSSH", "HTTP/1.1 2000 OK", ""})
    EXPECT_FALSE(net::ParseStatusLine(bad, status)) << bad;
}

TEST(HttpResponse, Headers) {
  net::ResponseHead head;
  EXPECT_TRUE(net::ParseHeaderLine("content-length:  1234 ", head));
  EXPECT_TRUE(net::ParseHeaderLine("Content-Type: audio/mpeg", head));
  EXPECT_TRUE(net::ParseHeaderLine("Location: /outro", head));
  EXPECT_TRUE(net::ParseHeaderLine("Transfer-Encoding: gzip, chunked", head));
  EXPECT_TRUE(net::ParseHeaderLine("Content-Range: bytes */5000", head));
  EXPECT_TRUE(net::ParseHeaderLine("linha sem dois pontos", head));
  EXPECT_TRUE(head.has_length);
  EXPECT_EQ(head.length, 1234);
  EXPECT_EQ(head.content_type, "audio/mpeg");
  EXPECT_EQ(head.location, "/outro");
  EXPECT_TRUE(head.chunked);
  EXPECT_EQ(head.range_total, 5000);
  EXPECT_EQ(head.range_start, -1);
  EXPECT_TRUE(net::ParseHeaderLine("Content-Range: bytes 1000-4999/5000", head));
  EXPECT_EQ(head.range_start, 1000);
  // A length that is not a number, or a second one that differs, is refused.
  net::ResponseHead other;
  EXPECT_FALSE(net::ParseHeaderLine("Content-Length: 12a", other));
  EXPECT_TRUE(net::ParseHeaderLine("Content-Length: 7", other));
  EXPECT_FALSE(net::ParseHeaderLine("Content-Length: 8", other));
  EXPECT_FALSE(net::ParseHeaderLine("Content-Length: -1", head));
}

std::string Decode(const std::string& input, size_t step, net::ChunkedDecoder::State& state) {
  net::ChunkedDecoder decoder;
  std::string out;
  for (size_t at = 0; at < input.size() && decoder.state() == net::ChunkedDecoder::State::More; at += step) {
    size_t used = 0;
    decoder.Feed(input.data() + at, std::min(step, input.size() - at), out, used);
  }
  state = decoder.state();
  return out;
}

TEST(HttpResponse, ChunkedBodiesDecodeWhateverTheSteps) {
  const std::string body = "5\r\nlinha\r\n4;ext=1\r\n um\n\r\nB\r\nlinha dois\r\r\n0\r\nTrailer: x\r\n\r\n";
  for (size_t step : {size_t{1}, size_t{2}, size_t{7}, body.size()}) {
    net::ChunkedDecoder::State state;
    EXPECT_EQ(Decode(body, step, state), "linha um\nlinha dois\r") << step;
    EXPECT_EQ(state, net::ChunkedDecoder::State::Done) << step;
  }
  for (const char* bad : {"zz\r\nabc", "3\r\nabcXY", "\r\n", "10000000000000000\r\n"}) {
    net::ChunkedDecoder::State state;
    Decode(bad, 1, state);
    EXPECT_EQ(state, net::ChunkedDecoder::State::Error) << bad;
  }
  net::ChunkedDecoder::State state;
  Decode("5\r\nabc", 1, state);
  EXPECT_EQ(state, net::ChunkedDecoder::State::More);
}

TEST(DownloadProgress, Texts) {
  EXPECT_EQ(net::ProgressShare(5096, 10000, '.'), "Recebidos: 51% de 9KB.");
  EXPECT_EQ(net::ProgressShare(1000, 3000, ','), "Recebidos: 33,3% de 2KB.");
  EXPECT_EQ(net::ProgressShare(500, 1000, '.'), "Recebidos: 50% de 1000Bytes.");
  EXPECT_EQ(net::ProgressShare(1, 3000000000LL, '.'), "Recebidos: 3.33% de 2GB.");
  EXPECT_EQ(net::ProgressShare(3 << 20, 5 << 20, '.'), "Recebidos: 60% de 5MB.");
  EXPECT_EQ(net::ProgressShare(12345, -1, '.'), "12345 bytes escritos em disco.");
  EXPECT_EQ(net::ProgressWritten(5096, ','), "4,98 KBytes gravados.");
  EXPECT_EQ(net::ProgressWritten(700, '.'), "700 Bytes gravados.");
  EXPECT_EQ(net::ProgressWritten(3 << 20, '.'), "3 MegaBytes gravados.");
  EXPECT_EQ(net::ProgressWritten(1610612736LL, '.'), "1.5 GigaBytes gravados.");
}

TEST(HttpCommand, PercentEncoding) {
  EXPECT_EQ(net::PercentEncode("a b&c"), "a%20b%26c");
  EXPECT_EQ(net::PercentEncode("a\xE7\xE3o-._~/"), "a%E7%E3o-._~%2F");
  EXPECT_EQ(net::PercentEncode(""), "");
}

class NetReaderTest : public ::testing::Test {
 protected:
  test_support::HeadlessConsole console_;

  // Connects to a peer that sends `bytes` and then keeps the connection for
  // `hold_ms`, and reads lines with `timeout` seconds.
  std::vector<std::pair<bool, std::string>> Lines(const std::string& bytes, int count, int timeout, int hold_ms = 0) {
    Server server([&](int fd) {
      SendText(fd, bytes);
      if (hold_ms) {
        pollfd entry{fd, POLLIN, 0};
        poll(&entry, 1, hold_ms);
      }
    });
    net::ConnectFailure why;
    std::string detail;
    auto stream = net::Stream::Connect("127.0.0.1", server.port(), false, true, why, detail);
    EXPECT_TRUE(stream);
    std::vector<std::pair<bool, std::string>> lines;
    if (!stream) return lines;
    net::NetReader reader(stream.get());
    for (int i = 0; i < count; ++i) {
      std::string line;
      bool got = reader.ReadLine(line, timeout);
      lines.emplace_back(got, line);
    }
    return lines;
  }
};

TEST_F(NetReaderTest, LinesEndAtLineFeedAndLoseOneCarriageReturn) {
  auto lines = Lines("palavra\r\nx\r\r\n\nsem fim", 5, 0);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], std::make_pair(true, std::string("palavra")));
  EXPECT_EQ(lines[1], std::make_pair(true, std::string("x\r")));
  EXPECT_EQ(lines[2], std::make_pair(true, std::string("")));
  EXPECT_EQ(lines[3], std::make_pair(true, std::string("sem fim")));  // the peer closed after it
  EXPECT_EQ(lines[4], std::make_pair(false, std::string("")));
}

TEST_F(NetReaderTest, ALineThatDoesNotComeInTimeIsDropped) {
  auto start = std::chrono::steady_clock::now();
  auto lines = Lines("parte", 1, 1, 6000);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_FALSE(lines[0].first);
  EXPECT_EQ(lines[0].second, "");
  EXPECT_GE(seconds, 0.95);
  EXPECT_LT(seconds, 5.0);
}

TEST_F(NetReaderTest, PollTimeoutComesFromTheSettings) {
  struct Case {
    const char* ini;
    int64_t us;
  } cases[] = {{"", 20000}, {"[MIRANE]\nTIMEOUT_REDE=5000\n", 5000}, {"[MIRANE]\nTIMEOUT_REDE=abc\n", 20000}};
  for (const Case& c : cases) {
    test_support::HeadlessConsole console(c.ini);
    net::ReadPollTimeout();
    EXPECT_EQ(net::PollTimeoutUs(), c.us) << c.ini;
  }
}

// 20,000 connections refused by a closed port, then TLS connections to a
// peer that hangs up during the handshake: every one leaves the descriptors
// as they were.
TEST_F(NetReaderTest, FailedConnectsLeaveNoDescriptor) {
  uint16_t closed = ClosedPort();
  std::string port = std::to_string(closed);
  int before = platform::net::OpenDescriptorCount();
  for (int i = 0; i < 20000; ++i) {
    ASSERT_TRUE(net::CmdConecta("#1 \"127.0.0.1\" \"" + port + "\" &"));
    ASSERT_EQ(data::IoStatus(), 1);
  }
  EXPECT_EQ(platform::net::OpenDescriptorCount(), before);
  {
    Server hangs_up([](int) {});
    std::string tls_port = std::to_string(hangs_up.port());
    for (int i = 0; i < 200; ++i) {
      ASSERT_TRUE(net::CmdConecta("SSL #2 \"127.0.0.1\" \"" + tls_port + "\" &"));
      ASSERT_EQ(data::IoStatus(), 1);
    }
  }
  EXPECT_EQ(platform::net::OpenDescriptorCount(), before);
  EXPECT_EQ(data::KindOfSlot('1'), data::SlotKind::Free);
  EXPECT_EQ(data::KindOfSlot('2'), data::SlotKind::Free);
}

class TlsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { certificates_ = new Certificates(); }
  static void TearDownTestSuite() {
    delete certificates_;
    certificates_ = nullptr;
  }
  static Certificates* certificates_;
  test_support::HeadlessConsole console_;
};
Certificates* TlsTest::certificates_ = nullptr;

// Trust comes from SSL_CERT_FILE (the test's authority), never from the
// system's store; the name must match unless verification is off.
TEST_F(TlsTest, CertificatesAreVerifiedAndTheServerNameIsSent) {
  ASSERT_TRUE(certificates_->ok());
  test_support::ScopedVariable trust("SSL_CERT_FILE", certificates_->ca());
  struct Case {
    const char* cert;
    const char* host;
    bool verify;
    net::ConnectFailure expected;
  } cases[] = {
      {"good", "localhost", true, net::ConnectFailure::None},
      {"good", "127.0.0.1", true, net::ConnectFailure::None},
      {"wrong", "localhost", true, net::ConnectFailure::Certificate},
      {"wrong", "localhost", false, net::ConnectFailure::None},
  };
  for (const Case& c : cases) {
    TlsServer server(certificates_->cert(c.cert), certificates_->key(c.cert));
    net::ConnectFailure why;
    std::string detail;
    auto stream = net::Stream::Connect(c.host, server.port(), true, c.verify, why, detail);
    EXPECT_EQ(why, c.expected) << c.cert << " " << c.host << " " << detail;
    if (c.expected != net::ConnectFailure::None) {
      EXPECT_FALSE(stream);
      EXPECT_FALSE(detail.empty());
      continue;
    }
    ASSERT_TRUE(stream);
    ASSERT_TRUE(stream->SendAll("ola\r\n"));
    net::NetReader reader(stream.get());
    std::string line;
    ASSERT_TRUE(reader.ReadLine(line, 5));
    EXPECT_EQ(line, "eco: ola");
    ASSERT_TRUE(stream->SendAll("tchau\r\n"));
    stream.reset();
    if (std::string(c.host) == "localhost") EXPECT_EQ(server.names(), std::vector<std::string>{"localhost"});
    else EXPECT_EQ(server.names(), std::vector<std::string>{""});  // no name for a numeric address
  }
}

TEST_F(TlsTest, WithoutTheTestAuthorityTheCertificateIsRefused) {
  ASSERT_TRUE(certificates_->ok());
  test_support::ScopedVariable trust("SSL_CERT_FILE", "/nonexistent/ca.pem");
  TlsServer server(certificates_->cert("good"), certificates_->key("good"));
  net::ConnectFailure why;
  std::string detail;
  EXPECT_FALSE(net::Stream::Connect("localhost", server.port(), true, true, why, detail));
  EXPECT_EQ(why, net::ConnectFailure::Certificate);
}

}  // namespace
