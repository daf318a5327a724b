// Fuzz target: what an HTTP server sends back to a download. The input is a
// response: the status line, header lines up to the empty line, then a
// chunked body. Decoding the body in pieces must give what decoding it at
// once gives, and never more bytes than came in; the Location of the
// headers is split and resolved as a redirect would be.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/http_response.h"

namespace {

std::string DecodeInSteps(std::string_view body, size_t step, net::ChunkedDecoder::State& state) {
  net::ChunkedDecoder decoder;
  std::string out;
  for (size_t at = 0; at < body.size() && decoder.state() == net::ChunkedDecoder::State::More; ) {
    size_t used = 0;
    size_t take = step < body.size() - at ? step : body.size() - at;
    decoder.Feed(body.data() + at, take, out, used);
    if (used > take) __builtin_trap();
    at += used;
    if (used < take && decoder.state() == net::ChunkedDecoder::State::More) __builtin_trap();
  }
  state = decoder.state();
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(bytes), size);
  size_t at = 0;
  auto next_line = [&](std::string_view& line) {
    if (at >= input.size()) return false;
    size_t end = input.find('\n', at);
    if (end == std::string_view::npos) end = input.size();
    line = input.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    at = end + 1;
    return true;
  };
  std::string_view line;
  net::ResponseHead head;
  if (next_line(line) && net::ParseStatusLine(line, head.status)) {
    if (head.status < 0 || head.status > 999) __builtin_trap();
  }
  while (next_line(line) && !line.empty()) {
    if (!net::ParseHeaderLine(line, head)) break;
    if (head.has_length && head.length < 0) __builtin_trap();
  }
  if (head.has_location) {
    net::HttpUrl base;
    if (!net::SplitUrl("http://exemplo:8080/pasta/arq", base)) __builtin_trap();
    net::HttpUrl target;
    if (net::SplitUrl(net::ResolveLocation(base, head.location), target)) {
      if (target.host.empty() || target.path.empty() || target.path[0] != '/' || target.port == 0) __builtin_trap();
      (void)target.HostHeader();
    }
  }
  std::string_view body = at < input.size() ? input.substr(at) : std::string_view();
  net::ChunkedDecoder::State whole_state, step_state;
  std::string whole = DecodeInSteps(body, body.size() + 1, whole_state);
  std::string stepped = DecodeInSteps(body, size == 0 ? 1 : bytes[0] % 5 + 1, step_state);
  if (whole.size() > body.size()) __builtin_trap();
  if (whole != stepped || whole_state != step_state) __builtin_trap();
  return 0;
}
