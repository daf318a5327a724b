// http_download: fetching a URL into a file for TRAZDAREDE.
//
// The ranged download asks only for the bytes the target file does not hold
// yet, follows redirects, copies the body in blocks of 4096 bytes (a click
// per block when asked) and lets the user hear the progress (Enter), turn
// the clicks on and off (blank) or stop (Escape, then S). A response that
// announces no length and is not audio is fetched again as text and written
// line by line.
#pragma once
#include <cstdint>
#include <string>

namespace net {

struct DownloadRequest {
  std::string url;
  std::string file;
  bool click = false;
  std::string agent;
  std::string cookie;
};

// True when the file holds the whole resource.
bool Download(const DownloadRequest& request);

// The spoken progress report's texts, one per piece: the received share
// (or the bytes written, for an open length), the size written, the file.
// `total` is the content length plus the resume offset, -1 for an open
// length; `separator` is the decimal separator.
std::string ProgressShare(int64_t size, int64_t total, char separator);
std::string ProgressWritten(int64_t size, char separator);

// Redirects followed before a download gives up.
constexpr int kMaxRedirects = 20;

}  // namespace net
