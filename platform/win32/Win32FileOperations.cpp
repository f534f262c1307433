#include "platform/win32/Win32FileOperations.h"

#include <windows.h>

#include "platform/win32/UniqueHandles.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {

bool Win32FileOperations::Exists(const std::u16string& path) const {
  return GetFileAttributesW(AsWide(path)) != INVALID_FILE_ATTRIBUTES;
}

bool Win32FileOperations::Copy(const std::u16string& from, const std::u16string& to,
                               bool overwrite) const {
  if (!CopyFileW(AsWide(from), AsWide(to), overwrite ? FALSE : TRUE)) {
    return false;
  }
  // A rename is journalled at once, the copied bytes are not: flushed here, a power loss
  // after the rename cannot leave an empty program under the program's name.
  const unique_handle copy(CreateFileW(AsWide(to), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return copy.get() != INVALID_HANDLE_VALUE && FlushFileBuffers(copy.get()) != FALSE;
}

bool Win32FileOperations::Rename(const std::u16string& from, const std::u16string& to,
                                 bool replace) const {
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  return MoveFileExW(AsWide(from), AsWide(to), flags) != FALSE;
}

bool Win32FileOperations::Delete(const std::u16string& path) const {
  return DeleteFileW(AsWide(path)) != FALSE;
}

bool Win32FileOperations::MoveAtRestart(const std::u16string& from,
                                        const std::u16string& to) const {
  return MoveFileExW(AsWide(from), AsWide(to),
                     MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool Win32FileOperations::DeleteAtRestart(const std::u16string& path) const {
  return MoveFileExW(AsWide(path), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

}  // namespace tessaly::win32
