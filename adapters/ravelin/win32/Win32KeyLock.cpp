#include "adapters/ravelin/win32/Win32KeyLock.h"

namespace tessaly::ravelin::win32 {

// No "Global\\" prefix: the lock is shared by the processes of one logon session.
Win32KeyLock::Win32KeyLock() : mutex_(CreateMutexA(nullptr, FALSE, "GAKeyRWCard")) {}

LockWait Win32KeyLock::Acquire() {
  if (!mutex_) {
    return LockWait::Unavailable;
  }
  // An abandoned mutex is owned now but guarded nothing consistent: it counts as failure
  // (and is released again by Release).
  return WaitForSingleObject(mutex_.get(), INFINITE) == WAIT_OBJECT_0 ? LockWait::Acquired
                                                                       : LockWait::Failed;
}

void Win32KeyLock::Release() {
  if (mutex_) {
    ReleaseMutex(mutex_.get());
  }
}

}  // namespace tessaly::ravelin::win32
