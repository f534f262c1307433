#pragma once

#include "platform/SystemFacts.h"

namespace tessaly {

class FakeSystemFacts final : public SystemFacts {
 public:
  unsigned windowsMajorVersion = 10;

  WindowsVersionFacts versionFacts;

  WindowsVersionFacts VersionFacts() const override { return versionFacts; }
  unsigned WindowsMajorVersion() const override { return windowsMajorVersion; }
};

}  // namespace tessaly
