#pragma once

#include <windows.h>

#include "platform/FileSystemRedirection.h"

namespace tessaly::win32 {

// Wow64DisableWow64FsRedirection and Wow64RevertWow64FsRedirection, looked up in kernel32
// at run time: Windows XP without a 64-bit edition lacks them, and there is nothing to
// switch there. A 64-bit process, which is never redirected, is refused by them: the same.
class Win32FileSystemRedirection final : public FileSystemRedirection {
 public:
  Win32FileSystemRedirection();
  std::unique_ptr<RedirectionPause> SwitchOff() const override;

 private:
  using Disable = BOOL(WINAPI*)(PVOID* oldValue);
  using Revert = BOOL(WINAPI*)(PVOID oldValue);
  Disable disable_ = nullptr;
  Revert revert_ = nullptr;
};

}  // namespace tessaly::win32
