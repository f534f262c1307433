#include "usbkey/UsbKeyProbe.h"

#include <array>
#include <string_view>

#include "config/UserType.h"
#include "diagnosis/ItemState.h"
#include "usbkey/CUSBKey.h"
#include "usbkey/KeyPanel.h"

namespace tessaly {
namespace {

// Created, asked, reported, released and destroyed as its own class, for one item.
template <typename Probe>
void RunProbe(const UsbKeyProbeServices& services, const ComponentItem& item) {
  Probe probe(services.modules, services.programPath);
  probe.Detect();
  if ((item.state & kItemNoKeyAttached) == 0) {
    ReportKeyPanel(probe, services.page, services.clock);
  }
  probe.Release();
}

struct ProbeClass {
  std::string_view name;
  void (*run)(const UsbKeyProbeServices&, const ComponentItem&);
};

constexpr std::array kProbeClasses{
    ProbeClass{"CWoqiUSBKey1", &RunProbe<CWoqiUSBKey1>},
    ProbeClass{"CFeitianUSBKey", &RunProbe<CFeitianUSBKey>},
    ProbeClass{"CWoqiUSBKey", &RunProbe<CWoqiUSBKey>},
};

// An item found outdated (1) or missing with an installer at hand (5) is not probed.
bool IsLeftUnprobed(const ComponentItem& item) {
  const std::uint32_t code = item.state & kItemStateCodeMask;
  return code == kItemStateOutdated || code == kItemStateMissingInstallable;
}

}  // namespace

void ProbeUsbKey(const UsbKeyProbeServices& services) {
  ClearKeyPanel(services.page);
  for (const ComponentItem& item : services.config.items) {
    if (item.className.empty() || IsLeftUnprobed(item)) {
      continue;
    }
    const auto userType = static_cast<std::int64_t>(services.settings.ReadDword(kUserType));
    if (userType != UserTypeOfClass(item.className)) {
      continue;
    }
    for (const ProbeClass& probeClass : kProbeClasses) {
      if (probeClass.name == item.className) {
        probeClass.run(services, item);
        break;
      }
    }
  }
}

}  // namespace tessaly
