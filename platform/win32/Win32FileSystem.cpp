#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

namespace tessaly::win32 {

std::string Win32FileSystem::TempDirectoryAnsi() const {
  // Ask for the size first: a temporary folder of any length is reported whole, and the
  // callers decide what fits their own limits.
  const DWORD needed = GetTempPathA(0, nullptr);
  if (needed == 0) {
    return {};
  }
  std::string path(needed, '\0');
  const DWORD written = GetTempPathA(needed, path.data());
  if (written == 0 || written >= needed) {
    return {};
  }
  path.resize(written);
  return path;
}

bool Win32FileSystem::CreateDirectoryAnsi(const std::string& path) const {
  if (CreateDirectoryA(path.c_str(), nullptr)) {
    return true;
  }
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace tessaly::win32
