#include "usbkey/UsbDriverRequests.h"

#include <algorithm>
#include <span>
#include <vector>

namespace tessaly {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t ReadUint32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

std::uint16_t ReadUint16(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

void WriteUint32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) {
    bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// Sends `record` as input and receives into a buffer of the same size; the bytes the
// driver returned, cut to that buffer. Nothing when the request fails.
std::optional<Bytes> Exchange(UsbDeviceHandle& device, std::uint32_t code, const Bytes& record) {
  Bytes reply(record.size(), 0);
  const std::optional<std::size_t> returned = device.Control(code, record, reply);
  if (!returned) {
    return std::nullopt;
  }
  reply.resize(std::min(*returned, reply.size()));
  return reply;
}

// The length handshake of the name requests: the header (with the port number in front when
// `port` is given) tells the length of the whole record, and a zero-filled record of exactly
// that length brings the name.
std::optional<std::u16string> RequestName(UsbDeviceHandle& device, std::uint32_t code,
                                          std::optional<std::uint32_t> port) {
  const std::size_t lengthOffset = port ? 4 : 0;
  const std::size_t nameOffset = lengthOffset + 4;
  Bytes header(nameOffset + 2, 0);
  if (port) {
    WriteUint32(header, 0, *port);
  }
  const std::optional<Bytes> sized = Exchange(device, code, header);
  if (!sized || sized->size() < nameOffset) {
    return std::nullopt;
  }
  const std::uint32_t needed = ReadUint32(*sized, lengthOffset);
  if (needed <= header.size() || needed > kMaxNameRecordBytes) {
    return std::nullopt;
  }
  Bytes record(needed, 0);
  if (port) {
    WriteUint32(record, 0, *port);
  }
  const std::optional<Bytes> named = Exchange(device, code, record);
  if (!named || named->size() <= nameOffset) {
    return std::nullopt;
  }
  std::u16string name;
  for (std::size_t at = nameOffset; at + 1 < named->size(); at += 2) {
    const char16_t unit = ReadUint16(*named, at);
    if (unit == 0) {
      break;
    }
    name.push_back(unit);
  }
  if (name.empty()) {
    return std::nullopt;
  }
  return name;
}

std::optional<UsbPortConnection> ConnectionBy(UsbDeviceHandle& hub, std::uint32_t code,
                                              std::uint32_t port) {
  Bytes record(kConnectionInformationBytes, 0);
  WriteUint32(record, 0, port);
  const std::optional<Bytes> reply = Exchange(hub, code, record);
  if (!reply || reply->size() < kConnectionRecordBytes) {
    return std::nullopt;
  }
  return UsbPortConnection{
      .deviceId = static_cast<std::uint32_t>(ReadUint16(*reply, kVendorIdOffset)) << 16 |
                  ReadUint16(*reply, kProductIdOffset),
      .isHub = (*reply)[kDeviceIsHubOffset] != 0,
      .connectionStatus = ReadUint32(*reply, kConnectionStatusOffset),
  };
}

}  // namespace

std::optional<std::u16string> HostControllerDriverKeyName(UsbDeviceHandle& controller) {
  return RequestName(controller, kGetHcdDriverKeyName, std::nullopt);
}

std::optional<std::u16string> RootHubName(UsbDeviceHandle& controller) {
  return RequestName(controller, kGetRootHubName, std::nullopt);
}

std::optional<unsigned> HubPortCount(UsbDeviceHandle& hub) {
  const std::optional<Bytes> reply =
      Exchange(hub, kGetNodeInformation, Bytes(kNodeInformationBytes, 0));
  if (!reply || reply->size() <= kPortCountOffset) {
    return std::nullopt;
  }
  return (*reply)[kPortCountOffset];
}

std::optional<UsbPortConnection> PortConnection(UsbDeviceHandle& hub, std::uint32_t port) {
  if (auto connection = ConnectionBy(hub, kGetNodeConnectionInformationEx, port)) {
    return connection;
  }
  return ConnectionBy(hub, kGetNodeConnectionInformation, port);
}

std::optional<std::u16string> ConnectedHubName(UsbDeviceHandle& hub, std::uint32_t port) {
  return RequestName(hub, kGetNodeConnectionName, port);
}

}  // namespace tessaly
