#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/UsbDriver.h"

namespace tessaly {

// The control requests of the Windows USB host-controller and hub drivers, with the byte
// layouts of their (packed) records. Every reply is read within the bytes the driver says it
// returned and within the buffer it was given, whatever its length fields claim.
inline constexpr std::uint32_t kGetHcdDriverKeyName = 0x220424;
inline constexpr std::uint32_t kGetRootHubName = 0x220408;
inline constexpr std::uint32_t kGetNodeInformation = 0x220408;
inline constexpr std::uint32_t kGetNodeConnectionInformationEx = 0x220448;
inline constexpr std::uint32_t kGetNodeConnectionInformation = 0x22040C;
inline constexpr std::uint32_t kGetNodeConnectionName = 0x220414;

// USB_NODE_INFORMATION: the node type (4 bytes), then the hub descriptor, whose third byte
// is the number of ports.
inline constexpr std::size_t kNodeInformationBytes = 76;
inline constexpr std::size_t kPortCountOffset = 6;

// USB_NODE_CONNECTION_INFORMATION(_EX): the port number, the 18-byte device descriptor
// (vendor and product id at its offsets 8 and 10), configuration, speed, the hub flag, the
// address, the open-pipe count, the connection status, then room for 30 pipes of 11 bytes.
inline constexpr std::size_t kConnectionInformationBytes = 365;
inline constexpr std::size_t kVendorIdOffset = 12;
inline constexpr std::size_t kProductIdOffset = 14;
inline constexpr std::size_t kDeviceIsHubOffset = 24;
inline constexpr std::size_t kConnectionStatusOffset = 31;
inline constexpr std::size_t kConnectionRecordBytes = kConnectionStatusOffset + 4;

// The name records: a length field (after the port number for the connection name), then
// the name in UTF-16. A real name is a few hundred bytes; a driver that asks for more than
// this is not believed.
inline constexpr std::size_t kMaxNameRecordBytes = 4096;

// What a hub reports about one of its ports.
struct UsbPortConnection {
  std::uint32_t deviceId = 0;  // vendor id × 65536 + product id
  bool isHub = false;
  std::uint32_t connectionStatus = 0;  // 0: no device
};

// The controller's driver key name; nothing when it has none or the request fails.
std::optional<std::u16string> HostControllerDriverKeyName(UsbDeviceHandle& controller);
// The name of the controller's root hub.
std::optional<std::u16string> RootHubName(UsbDeviceHandle& controller);
// The number of ports of a hub.
std::optional<unsigned> HubPortCount(UsbDeviceHandle& hub);
// Port `port` (1-based) by the EX request, else by the older one.
std::optional<UsbPortConnection> PortConnection(UsbDeviceHandle& hub, std::uint32_t port);
// The name of the hub connected to port `port`.
std::optional<std::u16string> ConnectedHubName(UsbDeviceHandle& hub, std::uint32_t port);

}  // namespace tessaly
