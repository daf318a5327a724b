// http_response: the pieces of HTTP/1.1 a download needs, apart from any
// connection: the URL split, the status line, the response headers and the
// chunked transfer coding. Everything here takes untrusted bytes from the
// network and never fails other than by its result.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace net {

struct HttpUrl {
  bool https = false;
  std::string host;       // without brackets for an IPv6 address
  std::string port_text;  // as written, empty when the URL names none
  uint16_t port = 80;
  std::string path = "/";
  // "Host:" header: the host, with ":port" when the port is not the
  // scheme's default.
  std::string HostHeader() const;
};

// Splits "scheme://host[:port][/path]". HTTPS when the first five characters,
// upper-cased, are "HTTPS". False when there is no "://", no host, or the
// port is not a number from 1 to 65535.
bool SplitUrl(const std::string& url, HttpUrl& parts);

// The URL a Location header leads to from `base`: absolute URLs as they are,
// "//host/..." with the base's scheme, "/path" and relative paths on the
// base's host.
std::string ResolveLocation(const HttpUrl& base, const std::string& location);

struct ResponseHead {
  int status = 0;
  bool has_length = false;
  int64_t length = 0;
  bool chunked = false;
  std::string content_type;
  bool has_location = false;
  std::string location;
  int64_t range_start = -1;  // the first byte of Content-Range "bytes A-B/N", -1 when none
  int64_t range_total = -1;  // the "*/N" or ".../N" of Content-Range, -1 when none
};

// "HTTP/1.x NNN reason": the three-digit status. False when the line is
// not a status line.
bool ParseStatusLine(std::string_view line, int& status);

// One header line into `head`. False when a header the download relies on
// is malformed (a Content-Length that is not a number, or two that differ).
bool ParseHeaderLine(std::string_view line, ResponseHead& head);

// Decodes the chunked transfer coding as bytes arrive. Chunk-size lines,
// extensions and trailers never reach the output.
class ChunkedDecoder {
 public:
  enum class State { More, Done, Error };
  // Takes `size` bytes; the decoded body bytes are appended to `out`.
  // `used` tells how many input bytes were taken (fewer than `size` only
  // once Done or Error).
  State Feed(const char* data, size_t size, std::string& out, size_t& used);
  State state() const { return state_; }

 private:
  enum class Phase { Size, Extension, SizeLf, Data, DataCr, DataLf, Trailer };
  Phase phase_ = Phase::Size;
  State state_ = State::More;
  uint64_t remaining_ = 0;
  int digits_ = 0;
  size_t trailer_line_ = 0;  // bytes of the trailer line being read
};

}  // namespace net
