#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tessaly {

// An open USB host controller or hub. Closed when the object goes away.
class UsbDeviceHandle {
 public:
  virtual ~UsbDeviceHandle() = default;
  // Sends control request `code` with `input` and room for `output`; answers the number of
  // bytes the driver says it returned, nothing when the request failed. The count is the
  // driver's word, not checked against `output`: callers bound it themselves.
  virtual std::optional<std::size_t> Control(std::uint32_t code,
                                             std::span<const std::uint8_t> input,
                                             std::span<std::uint8_t> output) = 0;
};

// The USB host-controller and hub driver interface of the platform.
class UsbDriver {
 public:
  virtual ~UsbDriver() = default;
  // Opens a device path ("\\.\HCD0", "\\.\" followed by a hub name, an interface path) for
  // control requests; nullptr when it cannot be opened.
  virtual std::unique_ptr<UsbDeviceHandle> Open(const std::u16string& path) const = 0;
  // The device paths of the present interfaces of the USB host-controller class.
  virtual std::vector<std::u16string> HostControllerInterfacePaths() const = 0;
};

}  // namespace tessaly
