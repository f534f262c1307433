#pragma once

#include <memory>

namespace tessaly {

// While an object of this lives, its thread sees the native 64-bit file system; its end
// restores the view the thread had. It must go away on the thread that made it.
class RedirectionPause {
 public:
  virtual ~RedirectionPause() = default;
};

// The file-system redirection of a 32-bit process on 64-bit Windows, which shows it
// SysWOW64 where it asks for system32.
class FileSystemRedirection {
 public:
  virtual ~FileSystemRedirection() = default;
  // Switches the redirection off for the calling thread. nullptr when there is nothing to
  // switch: a 32-bit Windows has one file system only (and lacks the switch), a 64-bit
  // process is never redirected. Either way the caller then tests the file system as it is,
  // which is the native one.
  virtual std::unique_ptr<RedirectionPause> SwitchOff() const = 0;
};

}  // namespace tessaly
