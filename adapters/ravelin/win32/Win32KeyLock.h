#pragma once

#include "adapters/ravelin/KeyLock.h"
#include "platform/win32/UniqueHandles.h"

namespace tessaly::ravelin::win32 {

// The named mutex "GAKeyRWCard" in the logon session's namespace. It is opened (created
// when absent, not owned) once for the library's life; ownership belongs to the waiting
// thread, so exports on several threads of one process still take turns.
class Win32KeyLock final : public KeyLock {
 public:
  Win32KeyLock();
  LockWait Acquire() override;
  void Release() override;

 private:
  tessaly::win32::unique_handle mutex_;
};

}  // namespace tessaly::ravelin::win32
