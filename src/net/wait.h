// wait: how the network module waits on a socket. Every wait runs in short
// steps and lets the console handle its messages between them, so the
// window repaints, keys queue up, and Ctrl+Break or the close box end the
// program in the middle of a connect, an accept or a read.
#pragma once
#include <cstdint>

#include "platform/net/socket.h"

namespace net {

// Waits until the socket is readable (or writable), at most `timeout_ms` real
// milliseconds (-1: no limit). In headless mode program time moves on with
// the real time waited, so timed keys arrive during the wait.
platform::net::Ready WaitSocket(platform::net::Socket socket, bool for_write, int64_t timeout_ms);

}  // namespace net
