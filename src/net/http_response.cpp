// URL split, status line, headers and chunked decoding.
#include "net/http_response.h"

#include <cctype>

namespace net {
namespace {

bool StartsWithUpper(std::string_view text, std::string_view upper) {
  if (text.size() < upper.size()) return false;
  for (size_t i = 0; i < upper.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) != upper[i]) return false;
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// A decimal number of up to 18 digits and nothing else.
bool ParseDecimal(std::string_view text, int64_t& value) {
  if (text.empty() || text.size() > 18) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string HttpUrl::HostHeader() const {
  std::string name = host.find(':') != std::string::npos ? "[" + host + "]" : host;
  uint16_t default_port = https ? 443 : 80;
  if (port != default_port) name += ":" + std::to_string(port);
  return name;
}

bool SplitUrl(const std::string& url, HttpUrl& parts) {
  parts = HttpUrl();
  size_t scheme_end = url.find("://");
  if (scheme_end == std::string::npos) return false;
  parts.https = StartsWithUpper(url, "HTTPS");
  std::string rest = url.substr(scheme_end + 3);
  size_t path_start = rest.find_first_of("/?#");
  std::string authority = rest.substr(0, path_start);
  if (path_start != std::string::npos) {
    parts.path = rest.substr(path_start);
    size_t fragment = parts.path.find('#');
    if (fragment != std::string::npos) parts.path.erase(fragment);
    if (parts.path.empty() || parts.path[0] != '/') parts.path.insert(0, "/");
  }
  // Credentials before "@" are not sent anywhere.
  size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  if (!authority.empty() && authority[0] == '[') {
    size_t close = authority.find(']');
    if (close == std::string::npos) return false;
    parts.host = authority.substr(1, close - 1);
    std::string after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after[0] != ':') return false;
      parts.port_text = after.substr(1);
    }
  } else {
    size_t colon = authority.find(':');
    parts.host = authority.substr(0, colon);
    if (colon != std::string::npos) parts.port_text = authority.substr(colon + 1);
  }
  if (parts.host.empty()) return false;
  parts.port = parts.https ? 443 : 80;
  if (!parts.port_text.empty()) {
    int64_t port = 0;
    if (!ParseDecimal(parts.port_text, port) || port < 1 || port > 65535) return false;
    parts.port = static_cast<uint16_t>(port);
  }
  return true;
}

std::string ResolveLocation(const HttpUrl& base, const std::string& location) {
  std::string target(Trim(location));
  if (target.find("://") != std::string::npos) return target;
  std::string scheme = base.https ? "https:" : "http:";
  if (target.compare(0, 2, "//") == 0) return scheme + target;
  std::string origin = scheme + "//" + base.HostHeader();
  if (!target.empty() && target[0] == '/') return origin + target;
  std::string folder = base.path.substr(0, base.path.find('?'));
  folder.erase(folder.rfind('/') + 1);
  return origin + folder + target;
}

bool ParseStatusLine(std::string_view line, int& status) {
  status = 0;
  if (!StartsWithUpper(line, "HTTP/")) return false;
  size_t blank = line.find(' ');
  if (blank == std::string_view::npos || line.size() < blank + 4) return false;
  int value = 0;
  for (size_t i = blank + 1; i < blank + 4; ++i) {
    if (line[i] < '0' || line[i] > '9') return false;
    value = value * 10 + (line[i] - '0');
  }
  if (line.size() > blank + 4 && line[blank + 4] != ' ' && line[blank + 4] != '\r') return false;
  status = value;
  return true;
}

bool ParseHeaderLine(std::string_view line, ResponseHead& head) {
  size_t colon = line.find(':');
  if (colon == std::string_view::npos) return true;  // not a header: ignored
  std::string_view name = Trim(line.substr(0, colon));
  std::string_view value = Trim(line.substr(colon + 1));
  auto is = [&](std::string_view upper) { return name.size() == upper.size() && StartsWithUpper(name, upper); };
  if (is("CONTENT-LENGTH")) {
    int64_t length = 0;
    if (!ParseDecimal(value, length)) return false;
    if (head.has_length && head.length != length) return false;
    head.has_length = true;
    head.length = length;
  } else if (is("CONTENT-TYPE")) {
    head.content_type = std::string(value);
  } else if (is("LOCATION")) {
    head.has_location = true;
    head.location = std::string(value);
  } else if (is("TRANSFER-ENCODING")) {
    // The last coding applied is the one that frames the body.
    std::string_view last = value.substr(value.rfind(',') == std::string_view::npos ? 0 : value.rfind(',') + 1);
    last = Trim(last);
    head.chunked = last.size() == 7 && StartsWithUpper(last, "CHUNKED");
  } else if (is("CONTENT-RANGE")) {
    size_t slash = value.rfind('/');
    int64_t total = 0;
    if (slash != std::string_view::npos && ParseDecimal(Trim(value.substr(slash + 1)), total)) head.range_total = total;
    size_t dash = value.find('-');
    int64_t start = 0;
    if (StartsWithUpper(value, "BYTES ") && dash != std::string_view::npos && dash < slash &&
        ParseDecimal(Trim(value.substr(6, dash - 6)), start))
      head.range_start = start;
  }
  return true;
}

ChunkedDecoder::State ChunkedDecoder::Feed(const char* data, size_t size, std::string& out, size_t& used) {
  used = 0;
  while (used < size && state_ == State::More) {
    char c = data[used];
    switch (phase_) {
      case Phase::Size: {
        int value = HexValue(c);
        if (value >= 0) {
          if (++digits_ > 15) state_ = State::Error;
          remaining_ = remaining_ * 16 + static_cast<uint64_t>(value);
          ++used;
        } else if (digits_ == 0) {
          state_ = State::Error;
        } else if (c == ';' || c == ' ' || c == '\t') {
          phase_ = Phase::Extension;
          ++used;
        } else if (c == '\r') {
          phase_ = Phase::SizeLf;
          ++used;
        } else if (c == '\n') {
          ++used;
          phase_ = remaining_ == 0 ? Phase::Trailer : Phase::Data;
        } else {
          state_ = State::Error;
        }
        break;
      }
      case Phase::Extension:
        ++used;
        if (c == '\n') phase_ = remaining_ == 0 ? Phase::Trailer : Phase::Data;
        break;
      case Phase::SizeLf:
        if (c != '\n') {
          state_ = State::Error;
          break;
        }
        ++used;
        phase_ = remaining_ == 0 ? Phase::Trailer : Phase::Data;
        break;
      case Phase::Data: {
        size_t take = size - used;
        if (take > remaining_) take = static_cast<size_t>(remaining_);
        out.append(data + used, take);
        used += take;
        remaining_ -= take;
        if (remaining_ == 0) phase_ = Phase::DataCr;
        break;
      }
      case Phase::DataCr:
        ++used;
        if (c == '\r') phase_ = Phase::DataLf;
        else if (c == '\n') phase_ = Phase::Size, digits_ = 0;
        else state_ = State::Error;
        break;
      case Phase::DataLf:
        ++used;
        if (c == '\n') phase_ = Phase::Size, digits_ = 0;
        else state_ = State::Error;
        break;
      case Phase::Trailer:
        // Trailer lines up to the empty line that ends the message.
        ++used;
        if (c == '\n') {
          if (trailer_line_ == 0) state_ = State::Done;
          trailer_line_ = 0;
        } else if (c != '\r' || trailer_line_ > 0) {
          ++trailer_line_;
        }
        break;
    }
  }
  return state_;
}

}  // namespace net
