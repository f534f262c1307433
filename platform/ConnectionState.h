#pragma once

namespace tessaly {

// Whether the system considers itself connected to the Internet (by modem, LAN or proxy),
// as the internet layer reports it; no server is contacted.
class ConnectionState {
 public:
  virtual ~ConnectionState() = default;
  virtual bool IsConnected() const = 0;
};

}  // namespace tessaly
