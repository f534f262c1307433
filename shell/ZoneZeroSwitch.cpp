#include "shell/ZoneZeroSwitch.h"

#include <memory>

#include "platform/RegistryValues.h"

namespace tessaly {
namespace {

constexpr std::u16string_view kZoneZeroPath =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\0";
constexpr std::u16string_view kInitialiseUnsafeControls = u"1201";

}  // namespace

void SetZoneZeroSwitch(const Registry& registry) {
  std::unique_ptr<RegistryKey> key = registry.OpenKey(
      RegistryRoot::CurrentUser, kZoneZeroPath, RegistryAccess::ReadWrite, RegistryView::Default);
  if (!key) {
    key = registry.CreateKey(RegistryRoot::CurrentUser, kZoneZeroPath, RegistryAccess::ReadWrite,
                             RegistryView::Default);
  }
  if (key) {
    WriteDword(*key, kInitialiseUnsafeControls, 0);
  }
}

void RemoveZoneZeroSwitch(const Registry& registry) {
  const std::unique_ptr<RegistryKey> key = registry.OpenKey(
      RegistryRoot::CurrentUser, kZoneZeroPath, RegistryAccess::ReadWrite, RegistryView::Default);
  if (key) {
    key->DeleteValue(kInitialiseUnsafeControls);
  }
}

}  // namespace tessaly
