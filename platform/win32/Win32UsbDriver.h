#pragma once

#include "platform/UsbDriver.h"

namespace tessaly::win32 {

// The USB host-controller and hub drivers through CreateFileW and DeviceIoControl, and the
// present host-controller interfaces through SetupAPI.
class Win32UsbDriver final : public UsbDriver {
 public:
  std::unique_ptr<UsbDeviceHandle> Open(const std::u16string& path) const override;
  std::vector<std::u16string> HostControllerInterfacePaths() const override;
};

}  // namespace tessaly::win32
