#include "tests/fakes/FakeUsbDriver.h"

#include <algorithm>

#include "usbkey/UsbDriverRequests.h"

namespace tessaly {
namespace {

using Output = std::span<std::uint8_t>;

void Put32(Output output, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4 && offset + i < output.size(); ++i) {
    output[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

void Put16(Output output, std::size_t offset, std::uint16_t value) {
  Put32(output.first(std::min(output.size(), offset + 2)), offset, value);
}

std::uint32_t Get32(std::span<const std::uint8_t> input) {
  if (input.size() < 4) {
    return 0;
  }
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(input[i]) << (8 * i);
  }
  return value;
}

// A name record as the drivers fill it: the length of the whole record always, the name as
// far as the buffer goes, and the bytes written as the count.
std::optional<std::size_t> NameReply(Output output, std::size_t lengthOffset,
                                     const std::u16string& name) {
  const std::size_t nameOffset = lengthOffset + 4;
  if (output.size() < nameOffset + 2) {
    return std::nullopt;
  }
  const std::size_t needed = nameOffset + (name.size() + 1) * 2;
  Put32(output, lengthOffset, static_cast<std::uint32_t>(needed));
  if (output.size() < needed) {
    return nameOffset + 2;
  }
  for (std::size_t i = 0; i < name.size(); ++i) {
    Put16(output, nameOffset + 2 * i, name[i]);
  }
  Put16(output, nameOffset + 2 * name.size(), 0);
  return needed;
}

class FakeDevice final : public UsbDeviceHandle {
 public:
  FakeDevice(const FakeUsbDriver& driver, std::u16string path,
             std::vector<FakeUsbDriver::Request>& requests)
      : driver_(driver), path_(std::move(path)), requests_(requests) {}

  std::optional<std::size_t> Control(std::uint32_t code, std::span<const std::uint8_t> input,
                                     Output output) override {
    requests_.push_back({path_, code, output.size()});
    if (const auto hostile = driver_.hostile.find(path_); hostile != driver_.hostile.end()) {
      return hostile->second(code, input, output);
    }
    if (const auto controller = driver_.controllers.find(path_);
        controller != driver_.controllers.end()) {
      return ControllerReply(controller->second, code, output);
    }
    if (path_.starts_with(u"\\\\.\\")) {
      if (const auto hub = driver_.hubs.find(path_.substr(4)); hub != driver_.hubs.end()) {
        return HubReply(hub->second, code, input, output);
      }
    }
    return std::nullopt;
  }

 private:
  static std::optional<std::size_t> ControllerReply(const FakeUsbDriver::Controller& controller,
                                                    std::uint32_t code, Output output) {
    const std::u16string& name =
        code == kGetHcdDriverKeyName ? controller.driverKey : controller.rootHub;
    if (name.empty() || (code != kGetHcdDriverKeyName && code != kGetRootHubName)) {
      return std::nullopt;
    }
    return NameReply(output, 0, name);
  }

  static std::optional<std::size_t> HubReply(const FakeUsbDriver::Hub& hub, std::uint32_t code,
                                             std::span<const std::uint8_t> input, Output output) {
    if (code == kGetNodeInformation) {
      if (output.size() < kNodeInformationBytes) {
        return std::nullopt;
      }
      output[kPortCountOffset] = static_cast<std::uint8_t>(
          hub.portCountClaim.value_or(static_cast<unsigned>(hub.ports.size())));
      return kNodeInformationBytes;
    }
    const std::uint32_t number = Get32(input);
    if (number == 0 || number > hub.ports.size()) {
      return std::nullopt;
    }
    const FakeUsbDriver::Port& port = hub.ports[number - 1];
    if (code == kGetNodeConnectionName) {
      return port.isHub ? NameReply(output, 4, port.hubName) : std::nullopt;
    }
    const bool ex = code == kGetNodeConnectionInformationEx;
    if ((!ex && code != kGetNodeConnectionInformation) || port.bothFail || (ex && port.exFails) ||
        output.size() < kConnectionInformationBytes) {
      return std::nullopt;
    }
    Put32(output, 0, number);
    Put16(output, kVendorIdOffset, static_cast<std::uint16_t>(port.deviceId >> 16));
    Put16(output, kProductIdOffset, static_cast<std::uint16_t>(port.deviceId));
    output[kDeviceIsHubOffset] = port.isHub ? 1 : 0;
    Put32(output, kConnectionStatusOffset, port.connectionStatus);
    return kConnectionRecordBytes;
  }

  const FakeUsbDriver& driver_;
  std::u16string path_;
  std::vector<FakeUsbDriver::Request>& requests_;
};

}  // namespace

FakeUsbDriver FakeUsbDriver::WithDevices(const std::vector<std::uint32_t>& ids) {
  FakeUsbDriver driver;
  driver.controllers[u"\\\\.\\HCD0"] = {u"{controller}\\0000", u"ROOT_HUB#0"};
  Hub& root = driver.hubs[u"ROOT_HUB#0"];
  for (const std::uint32_t id : ids) {
    root.ports.push_back({.deviceId = id});
  }
  return driver;
}

std::unique_ptr<UsbDeviceHandle> FakeUsbDriver::Open(const std::u16string& path) const {
  log_->opened.push_back(path);
  const bool known = controllers.contains(path) || hostile.contains(path) ||
                     (path.starts_with(u"\\\\.\\") && hubs.contains(path.substr(4)));
  if (!known) {
    return nullptr;
  }
  return std::make_unique<FakeDevice>(*this, path, log_->requests);
}

}  // namespace tessaly
