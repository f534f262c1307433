#pragma once

namespace tessaly::ravelin {

enum class LockWait {
  Acquired,
  Failed,       // the wait ended otherwise (an abandoned holder included)
  Unavailable,  // the lock cannot be opened at all: go on without it
};

// The lock that serialises all key access of all processes of the logon session.
class KeyLock {
 public:
  virtual ~KeyLock() = default;
  // Waits without a time limit.
  virtual LockWait Acquire() = 0;
  virtual void Release() = 0;
};

}  // namespace tessaly::ravelin
