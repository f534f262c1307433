#include "platform/win32/Win32PathProbe.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace tessaly::win32 {

bool Win32PathProbe::PathExists(const std::u16string& path) const {
  if (path.empty() || path.find(u'\0') != std::u16string::npos) {
    return false;
  }
  return GetFileAttributesW(AsWide(path)) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace tessaly::win32
