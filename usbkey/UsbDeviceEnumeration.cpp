#include "usbkey/UsbDeviceEnumeration.h"

#include <algorithm>
#include <string>

#include "usbkey/UsbHubWalk.h"

namespace tessaly {

std::vector<std::uint32_t> EnumerateUsbDevices(const UsbDriver& driver) {
  UsbHubWalk walk(driver);
  for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
    walk.WalkHostController(std::u16string(u"\\\\.\\HCD") + digit);
  }
  for (const std::u16string& path : driver.HostControllerInterfacePaths()) {
    walk.WalkHostController(path);
  }
  return walk.devices();
}

bool AnyUsbDevicePresent(const UsbDriver& driver, std::span<const std::uint32_t> wanted) {
  if (wanted.empty()) {
    return false;
  }
  const std::vector<std::uint32_t> devices = EnumerateUsbDevices(driver);
  return std::ranges::any_of(wanted, [&devices](std::uint32_t id) {
    return std::ranges::find(devices, id) != devices.end();
  });
}

}  // namespace tessaly
