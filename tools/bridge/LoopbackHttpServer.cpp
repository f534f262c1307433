#include "tools/bridge/LoopbackHttpServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace tessaly::win32 {
namespace {

// Well below the 64 sockets one select call takes, the listener included.
constexpr std::size_t kMaxConnections = 32;
// A connection that has not sent a whole request by then is dropped.
constexpr DWORD kRequestDeadlineMs = 10000;
constexpr DWORD kSendTimeoutMs = 10000;
constexpr long kWakeMicroseconds = 200000;

class Socket {
 public:
  explicit Socket(SOCKET socket) : socket_(socket) {}
  ~Socket() {
    if (socket_ != INVALID_SOCKET) {
      closesocket(socket_);
    }
  }
  Socket(Socket&& other) noexcept : socket_(std::exchange(other.socket_, INVALID_SOCKET)) {}
  Socket& operator=(Socket&& other) noexcept {
    std::swap(socket_, other.socket_);
    return *this;
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  SOCKET get() const { return socket_; }

 private:
  SOCKET socket_;
};

struct Connection {
  Socket socket;
  std::string received;
  DWORD acceptedAt;  // GetTickCount; the difference stays right across its wrap
  bool done = false;
};

// FIONBIO is built from unsigned arithmetic that does not fit ioctlsocket's long.
bool SetNonBlocking(SOCKET socket, bool nonBlocking) {
  u_long mode = nonBlocking ? 1 : 0;
  return ioctlsocket(socket, static_cast<long>(FIONBIO), &mode) == 0;
}

bool IsLoopback(const sockaddr_in& peer) {
  return peer.sin_family == AF_INET && (ntohl(peer.sin_addr.s_addr) >> 24) == 127;
}

// Sends the whole answer, blocking (with a bound), then lets the peer see the end.
void SendAll(SOCKET socket, const std::string& bytes) {
  SetNonBlocking(socket, false);
  const DWORD timeout = kSendTimeoutMs;
  setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout),
             sizeof(timeout));
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const int piece = send(socket, bytes.data() + sent,
                           static_cast<int>(std::min<std::size_t>(bytes.size() - sent, 1 << 20)), 0);
    if (piece <= 0) {
      return;
    }
    sent += static_cast<std::size_t>(piece);
  }
  shutdown(socket, SD_SEND);
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer(Handler handler) : handler_(std::move(handler)) {}

LoopbackHttpServer::~LoopbackHttpServer() {
  Stop();
  if (winsock_) {
    WSACleanup();
  }
}

bool LoopbackHttpServer::Start() {
  WSADATA data;
  if (!winsock_) {
    winsock_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  if (!winsock_ || thread_) {
    return false;
  }
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener_ == INVALID_SOCKET) {
    return false;
  }
  // No other socket may take over the port while this one listens.
  BOOL exclusive = TRUE;
  setsockopt(listener_, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof(exclusive));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  int length = sizeof(address);
  if (bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(listener_, SOMAXCONN) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      !SetNonBlocking(listener_, true)) {
    closesocket(std::exchange(listener_, INVALID_SOCKET));
    return false;
  }
  port_ = ntohs(address.sin_port);
  stopping_ = false;
  thread_.reset(CreateThread(nullptr, 0, &LoopbackHttpServer::ThreadEntry, this, 0, nullptr));
  if (!thread_) {
    closesocket(std::exchange(listener_, INVALID_SOCKET));
    return false;
  }
  return true;
}

void LoopbackHttpServer::Stop() {
  if (thread_) {
    stopping_ = true;
    const HANDLE thread = thread_.get();
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
      MSG message;
      // Handles the messages sent to this thread's windows, leaves posted ones queued.
      PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    thread_.reset();
  }
  if (listener_ != INVALID_SOCKET) {
    closesocket(std::exchange(listener_, INVALID_SOCKET));
  }
}

DWORD WINAPI LoopbackHttpServer::ThreadEntry(void* server) {
  static_cast<LoopbackHttpServer*>(server)->Serve();
  return 0;
}

void LoopbackHttpServer::Serve() {
  std::vector<Connection> connections;
  std::array<char, 16 * 1024> buffer{};
  while (!stopping_) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener_, &readable);
    for (const Connection& connection : connections) {
      FD_SET(connection.socket.get(), &readable);
    }
    timeval wake{0, kWakeMicroseconds};
    if (select(0, &readable, nullptr, nullptr, &wake) == SOCKET_ERROR) {
      Sleep(50);
      continue;
    }
    if (FD_ISSET(listener_, &readable)) {
      sockaddr_in peer{};
      int length = sizeof(peer);
      Socket accepted(accept(listener_, reinterpret_cast<sockaddr*>(&peer), &length));
      if (accepted.get() != INVALID_SOCKET && IsLoopback(peer) &&
          connections.size() < kMaxConnections) {
        SetNonBlocking(accepted.get(), true);
        connections.push_back(
            Connection{std::move(accepted), {}, GetTickCount()});
      }
    }
    for (Connection& connection : connections) {
      if (!FD_ISSET(connection.socket.get(), &readable) || stopping_) {
        continue;
      }
      const int got = recv(connection.socket.get(), buffer.data(), static_cast<int>(buffer.size()), 0);
      if (got <= 0) {
        connection.done = true;
        continue;
      }
      connection.received.append(buffer.data(), static_cast<std::size_t>(got));
      ReceivedHttpRequest request;
      const HttpParse parsed = ParseHttpRequest(connection.received, request);
      if (parsed == HttpParse::Incomplete) {
        continue;
      }
      connection.done = true;
      if (parsed == HttpParse::Complete) {
        if (const std::optional<std::string> answer = handler_(request)) {
          SendAll(connection.socket.get(), *answer);
        }
      }
    }
    const DWORD now = GetTickCount();
    std::erase_if(connections, [now](const Connection& c) {
      return c.done || now - c.acceptedAt > kRequestDeadlineMs;
    });
  }
}

}  // namespace tessaly::win32
