#include "platform/win32/Win32SystemFacts.h"

#include <windows.h>

namespace tessaly::win32 {

unsigned Win32SystemFacts::WindowsMajorVersion() const {
  // GetVersionEx on purpose: installer conditions are written against what the program
  // itself is told, compatibility shims included.
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(&info)) {
    return 0;
  }
  return info.dwMajorVersion;
}

}  // namespace tessaly::win32
