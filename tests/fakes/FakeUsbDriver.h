#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/UsbDriver.h"

namespace tessaly {

// A scripted USB tree answering the host-controller and hub requests the way the Windows
// drivers do (length handshake included), plus hooks for hostile replies. Every open and
// request is logged.
class FakeUsbDriver final : public UsbDriver {
 public:
  struct Controller {
    std::u16string driverKey{};  // empty: the request fails
    std::u16string rootHub{};    // empty: no root hub name
  };
  struct Port {
    std::uint32_t deviceId = 0;
    bool isHub = false;
    std::uint32_t connectionStatus = 1;  // 1: a device is connected
    std::u16string hubName{};            // for a hub: the name its port reports
    bool exFails = false;                // the EX request fails; the older one answers
    bool bothFail = false;
  };
  struct Hub {
    std::vector<Port> ports{};
    std::optional<unsigned> portCountClaim{};  // the port count the hub reports, if not the real one
  };
  struct Request {
    std::u16string path;
    std::uint32_t code = 0;
    std::size_t outputBytes = 0;
  };
  // A reply that replaces the scripted one: gets the request, fills `output` as it likes and
  // answers the byte count it claims (nothing: failure).
  using Hostile = std::function<std::optional<std::size_t>(
      std::uint32_t code, std::span<const std::uint8_t> input, std::span<std::uint8_t> output)>;

  std::map<std::u16string, Controller> controllers;  // by device path
  std::vector<std::u16string> interfacePaths;
  std::map<std::u16string, Hub> hubs;  // by hub name (opened as "\\.\" + name)
  std::map<std::u16string, Hostile> hostile;  // by device path

  // A tree of one controller, \\.\HCD0, whose root hub has one port per id.
  static FakeUsbDriver WithDevices(const std::vector<std::uint32_t>& ids);

  std::unique_ptr<UsbDeviceHandle> Open(const std::u16string& path) const override;
  std::vector<std::u16string> HostControllerInterfacePaths() const override {
    return interfacePaths;
  }

  const std::vector<std::u16string>& opened() const { return log_->opened; }
  const std::vector<Request>& requests() const { return log_->requests; }

 private:
  struct Log {
    std::vector<std::u16string> opened;
    std::vector<Request> requests;
  };
  std::shared_ptr<Log> log_ = std::make_shared<Log>();
};

}  // namespace tessaly
