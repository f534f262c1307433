#include "platform/win32/Win32ConnectionState.h"

#include <windows.h>
#include <wininet.h>

namespace tessaly::win32 {

bool Win32ConnectionState::IsConnected() const {
  DWORD flags = 0;
  return InternetGetConnectedState(&flags, 0) != FALSE;
}

}  // namespace tessaly::win32
