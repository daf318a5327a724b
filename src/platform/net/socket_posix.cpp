// The socket layer over POSIX sockets and poll.
#include "platform/net/socket.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform::net {
namespace {

socklen_t FillSockaddr(const Address& address, uint16_t port, sockaddr_storage& storage) {
  std::memset(&storage, 0, sizeof storage);
  if (address.family == AF_INET6) {
    auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
    in6->sin6_family = AF_INET6;
    in6->sin6_port = htons(port);
    std::memcpy(&in6->sin6_addr, address.bytes, 16);
    return sizeof(sockaddr_in6);
  }
  auto* in4 = reinterpret_cast<sockaddr_in*>(&storage);
  in4->sin_family = AF_INET;
  in4->sin_port = htons(port);
  std::memcpy(&in4->sin_addr, address.bytes, 4);
  return sizeof(sockaddr_in);
}

std::string AddressText(const sockaddr_storage& storage) {
  char text[INET6_ADDRSTRLEN] = "0.0.0.0";
  if (storage.ss_family == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(storage).sin_addr, text, sizeof text);
  } else if (storage.ss_family == AF_INET6) {
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(storage);
    if (IN6_IS_ADDR_V4MAPPED(&in6.sin6_addr)) inet_ntop(AF_INET, in6.sin6_addr.s6_addr + 12, text, sizeof text);
    else inet_ntop(AF_INET6, &in6.sin6_addr, text, sizeof text);
  }
  return text;
}

}  // namespace

bool IsNumericAddress(const std::string& host) {
  uint8_t bytes[16];
  return inet_pton(AF_INET, host.c_str(), bytes) == 1 || inet_pton(AF_INET6, host.c_str(), bytes) == 1;
}

std::vector<Address> Resolve(const std::string& host) {
  std::vector<Address> found;
  if (host.empty()) return found;
  Address numeric;
  if (inet_pton(AF_INET, host.c_str(), numeric.bytes) == 1) {
    numeric.family = AF_INET;
    found.push_back(numeric);
    return found;
  }
  if (inet_pton(AF_INET6, host.c_str(), numeric.bytes) == 1) {
    numeric.family = AF_INET6;
    found.push_back(numeric);
    return found;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* answer = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &answer) != 0) return found;
  std::vector<Address> six;
  for (addrinfo* entry = answer; entry; entry = entry->ai_next) {
    Address address;
    address.family = entry->ai_family;
    if (entry->ai_family == AF_INET) {
      std::memcpy(address.bytes, &reinterpret_cast<sockaddr_in*>(entry->ai_addr)->sin_addr, 4);
      found.push_back(address);
    } else if (entry->ai_family == AF_INET6) {
      std::memcpy(address.bytes, &reinterpret_cast<sockaddr_in6*>(entry->ai_addr)->sin6_addr, 16);
      six.push_back(address);
    }
  }
  freeaddrinfo(answer);
  found.insert(found.end(), six.begin(), six.end());
  return found;
}

Socket StartConnect(const Address& address, uint16_t port, bool& pending) {
  pending = false;
  int family = address.family == AF_INET6 ? AF_INET6 : AF_INET;
  Socket socket = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (socket < 0) return kNoSocket;
  int one = 1;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  sockaddr_storage storage;
  socklen_t length = FillSockaddr(address, port, storage);
  if (::connect(socket, reinterpret_cast<sockaddr*>(&storage), length) == 0) return socket;
  if (errno == EINPROGRESS) {
    pending = true;
    return socket;
  }
  ::close(socket);
  return kNoSocket;
}

int ConnectError(Socket socket) {
  int error = 0;
  socklen_t length = sizeof error;
  if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno ? errno : EIO;
  return error;
}

Socket Listen(uint16_t port, int backlog) {
  Socket socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (socket < 0) return kNoSocket;
  int one = 1;
  setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(socket, backlog) != 0) {
    ::close(socket);
    return kNoSocket;
  }
  return socket;
}

Socket Accept(Socket listener, bool& failed) {
  failed = false;
  Socket socket = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (socket >= 0) {
    int one = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return socket;
  }
  // A client that gave up before being taken is not the listener's fault.
  if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED) failed = true;
  return kNoSocket;
}

Io Send(Socket socket, const char* data, size_t size, size_t& sent) {
  sent = 0;
  if (socket < 0) return Io::Failed;
  for (;;) {
    ssize_t n = ::send(socket, data, size, MSG_NOSIGNAL);
    if (n >= 0) {
      sent = static_cast<size_t>(n);
      return Io::Done;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return Io::WouldBlock;
    return errno == EPIPE || errno == ECONNRESET ? Io::Closed : Io::Failed;
  }
}

Io Receive(Socket socket, char* data, size_t size, size_t& received) {
  received = 0;
  if (socket < 0) return Io::Failed;
  for (;;) {
    ssize_t n = ::recv(socket, data, size, 0);
    if (n > 0) {
      received = static_cast<size_t>(n);
      return Io::Done;
    }
    if (n == 0) return Io::Closed;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return Io::WouldBlock;
    return errno == ECONNRESET ? Io::Closed : Io::Failed;
  }
}

Ready WaitReady(Socket socket, bool for_write, int timeout_ms) {
  if (socket < 0) return Ready::Failed;
  pollfd entry{socket, static_cast<short>(for_write ? POLLOUT : POLLIN), 0};
  int result = ::poll(&entry, 1, timeout_ms < 0 ? 0 : timeout_ms);
  if (result < 0) return errno == EINTR ? Ready::No : Ready::Failed;
  if (result == 0) return Ready::No;
  if (entry.revents & POLLNVAL) return Ready::Failed;
  return Ready::Yes;
}

void Close(Socket socket) {
  if (socket >= 0) ::close(socket);
}

std::string LocalAddressText(Socket socket) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  if (socket < 0 || getsockname(socket, reinterpret_cast<sockaddr*>(&storage), &length) != 0) return "0.0.0.0";
  return AddressText(storage);
}

std::string PeerAddressText(Socket socket) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  if (socket < 0 || getpeername(socket, reinterpret_cast<sockaddr*>(&storage), &length) != 0) return "0.0.0.0";
  return AddressText(storage);
}

uint16_t LocalPort(Socket socket) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  if (socket < 0 || getsockname(socket, reinterpret_cast<sockaddr*>(&storage), &length) != 0) return 0;
  if (storage.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in&>(storage).sin_port);
  if (storage.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6&>(storage).sin6_port);
  return 0;
}

int OpenDescriptorCount() {
  DIR* folder = opendir("/proc/self/fd");
  if (!folder) return -1;
  int count = 0;
  while (dirent* entry = readdir(folder))
    if (entry->d_name[0] != '.') ++count;
  closedir(folder);
  return count - 1;  // the folder's own descriptor
}

}  // namespace platform::net
