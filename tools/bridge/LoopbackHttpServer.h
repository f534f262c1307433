#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/win32/UniqueHandles.h"
#include "shell/bridge/HttpMessage.h"

namespace tessaly::win32 {

// A small HTTP server on 127.0.0.1 only, on a port the system picks, for the development
// bridge. One thread waits on every connection at once (select), so a browser's idle
// pre-connections cannot hold up the page's requests; whole requests are handed to the
// handler one at a time, in the order they complete, and each connection is closed after
// its answer. Connections from anywhere but the loopback network, requests that are
// malformed or over the limits, and requests the handler gives no answer to are closed
// without a word.
class LoopbackHttpServer {
 public:
  // The whole response for a request (HttpResponseText), or nothing to close unanswered.
  // Runs on the server's thread.
  using Handler = std::function<std::optional<std::string>(const ReceivedHttpRequest&)>;

  explicit LoopbackHttpServer(Handler handler);
  // Stops the thread first.
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  // Listens on 127.0.0.1 and starts the thread; false when either fails.
  bool Start();
  std::uint16_t port() const { return port_; }
  // Ends the thread and closes every connection. While it waits, the calling thread keeps
  // handling messages sent to its windows, so a handler that is sending one a message
  // (the bridge's calls into the GUI thread) can finish.
  void Stop();

 private:
  static DWORD WINAPI ThreadEntry(void* server);
  void Serve();

  Handler handler_;
  bool winsock_ = false;
  SOCKET listener_ = INVALID_SOCKET;
  std::uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  unique_handle thread_;
};

}  // namespace tessaly::win32
