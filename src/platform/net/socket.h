// socket: TCP connections over the system's sockets.
//
// Every socket this layer hands out is non-blocking and closed on exec; the
// caller waits for readiness with WaitReady (the network module does so in
// short steps, pumping the console's messages between them). Addresses are
// IPv4 or IPv6; names are looked up with the system resolver.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::net {

using Socket = int;
constexpr Socket kNoSocket = -1;

// An address to connect to, as the resolver gave it.
struct Address {
  int family = 0;              // the system's address family
  uint8_t bytes[16] = {};      // 4 bytes for IPv4, 16 for IPv6
};

// The addresses of a host: a dotted (or bracketless IPv6) address is taken
// as it is; a name is looked up, IPv4 answers first. Empty when it cannot
// be resolved.
std::vector<Address> Resolve(const std::string& host);
bool IsNumericAddress(const std::string& host);

// Starts a connection; kNoSocket (nothing left open) when no socket could be
// made or the system refused at once. `pending` tells that the connection
// is still being made: wait until the socket is writable, then ask
// ConnectError.
Socket StartConnect(const Address& address, uint16_t port, bool& pending);
// 0 when the connection was made, else the system's error number.
int ConnectError(Socket socket);

// A listening socket on every local IPv4 address, with the given backlog;
// kNoSocket on failure. Port 0 takes a free port (see LocalPort).
Socket Listen(uint16_t port, int backlog);
// One waiting client; kNoSocket when none is waiting yet (`failed` false)
// or the listener broke (`failed` true).
Socket Accept(Socket listener, bool& failed);

enum class Io { Done, WouldBlock, Closed, Failed };
// Sends what fits now; `sent` bytes went out (Done) or none (WouldBlock).
Io Send(Socket socket, const char* data, size_t size, size_t& sent);
// Receives what is there; Closed when the peer ended the connection.
Io Receive(Socket socket, char* data, size_t size, size_t& received);

enum class Ready { Yes, No, Failed };
// Waits at most `timeout_ms` real milliseconds for the socket to become
// readable (or writable); a peer that closed or an error counts as ready,
// so the next read reports it.
Ready WaitReady(Socket socket, bool for_write, int timeout_ms);

void Close(Socket socket);

// The local or the peer's address of a connected socket in its usual text
// form ("127.0.0.1"); "0.0.0.0" when the system cannot tell.
std::string LocalAddressText(Socket socket);
std::string PeerAddressText(Socket socket);
// The local port (0 when unknown).
uint16_t LocalPort(Socket socket);

// Open descriptors of this process (tests of leaks).
int OpenDescriptorCount();

}  // namespace platform::net
