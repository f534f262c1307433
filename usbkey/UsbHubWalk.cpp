#include "usbkey/UsbHubWalk.h"

#include <memory>
#include <optional>

#include "usbkey/UsbDriverRequests.h"

namespace tessaly {

void UsbHubWalk::WalkHostController(const std::u16string& path) {
  const std::unique_ptr<UsbDeviceHandle> controller = driver_.Open(path);
  if (!controller) {
    return;
  }
  const std::optional<std::u16string> driverKey = HostControllerDriverKeyName(*controller);
  if (!driverKey || !seenControllers_.insert(*driverKey).second) {
    return;
  }
  if (const std::optional<std::u16string> rootHub = RootHubName(*controller)) {
    WalkHub(*rootHub, 1);
  }
}

void UsbHubWalk::WalkHub(const std::u16string& name, int tier) {
  if (tier > kMaxHubTiers || !seenHubs_.insert(name).second) {
    return;
  }
  const std::unique_ptr<UsbDeviceHandle> hub = driver_.Open(u"\\\\.\\" + name);
  if (!hub) {
    return;
  }
  const std::optional<unsigned> ports = HubPortCount(*hub);
  if (!ports) {
    return;
  }
  for (std::uint32_t port = 1; port <= *ports; ++port) {
    const std::optional<UsbPortConnection> connection = PortConnection(*hub, port);
    if (!connection) {
      continue;
    }
    if (connection->isHub) {
      if (const std::optional<std::u16string> child = ConnectedHubName(*hub, port)) {
        WalkHub(*child, tier + 1);
      }
    } else if (connection->connectionStatus != 0) {
      // A device whose enumeration failed still reports the descriptor it has (maybe
      // zeros); its id is listed all the same.
      devices_.push_back(connection->deviceId);
    }
  }
}

}  // namespace tessaly
