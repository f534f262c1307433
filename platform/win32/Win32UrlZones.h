#pragma once

#include "platform/UrlZones.h"

namespace tessaly::win32 {

// urlmon's zone manager (IInternetZoneManager) and security manager
// (IInternetSecurityManager), created through CoInternetCreateZoneManager and
// CoInternetCreateSecurityManager. A manager that cannot be created (the call fails or
// hands back nothing) is answered with nullptr. The managers are used on the thread that
// created them, which has COM initialised.
class Win32UrlZoneServices final : public UrlZoneServices {
 public:
  std::unique_ptr<ZoneManager> CreateZoneManager() const override;
  std::unique_ptr<SecurityManager> CreateSecurityManager() const override;
};

}  // namespace tessaly::win32
