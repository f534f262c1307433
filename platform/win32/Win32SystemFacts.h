#pragma once

#include "platform/SystemFacts.h"

namespace tessaly::win32 {

class Win32SystemFacts final : public SystemFacts {
 public:
  unsigned WindowsMajorVersion() const override;
  WindowsVersionFacts VersionFacts() const override;
};

}  // namespace tessaly::win32
