#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/UsbDriver.h"

namespace tessaly {

// The ids (vendor id × 65536 + product id) of every USB device connected now, in walk order,
// once per connection: two identical keys give their id twice. The walk goes through the
// numbered host controllers \\.\HCD0 to \\.\HCD9, then every present interface of the
// host-controller class, walking each controller once (by its driver key name) and each of
// its hubs recursively. A controller, hub or port that fails is left out; the walk never
// fails as a whole. Each call walks anew with state of its own, so calls may overlap.
std::vector<std::uint32_t> EnumerateUsbDevices(const UsbDriver& driver);

// Whether any of `wanted` is among the devices connected now; false for an empty list.
bool AnyUsbDevicePresent(const UsbDriver& driver, std::span<const std::uint32_t> wanted);

}  // namespace tessaly
