#pragma once

#include "platform/ConnectionState.h"

namespace tessaly::win32 {

// WinINet's InternetGetConnectedState.
class Win32ConnectionState final : public ConnectionState {
 public:
  bool IsConnected() const override;
};

}  // namespace tessaly::win32
