#include <string>
#include <string_view>
#include <utility>

#include "platform/WindowsFacts.h"
#include "platform/portable/RegistryText.h"

namespace tessaly {
namespace {

// Full access on purpose: only an administrator opens the key, so a user without rights
// sees DescribeWindows and never the XP advice.
constexpr RegistryTextSource kCurrentVersion{RegistryRoot::LocalMachine,
                                             u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                             RegistryAccess::All, RegistryView::Native64};
constexpr std::size_t kCurrentVersionBufferBytes = 1024;

std::u16string CurrentVersionText(const Registry& registry, std::u16string_view name) {
  return ReadRegistryText(registry, kCurrentVersion, name, kCurrentVersionBufferBytes)
      .value_or(std::u16string());
}

bool Contains(std::u16string_view text, std::u16string_view part) {
  return text.find(part) != std::u16string_view::npos;
}

constexpr std::u16string_view kWarningCaption = u"警告";
constexpr std::u16string_view kUpgradeAdvice =
    u"为不影响正常使用网银，建议将操作系统升级至 Windows XP SP3及以上版本";

}  // namespace

std::u16string ServicePackSuffix(const Registry& registry) {
  const std::u16string servicePack = CurrentVersionText(registry, u"CSDVersion");
  for (const auto& [pack, suffix] : {std::pair{u"Service Pack 1", u" SP1"},
                                     std::pair{u"Service Pack 2", u" SP2"},
                                     std::pair{u"Service Pack 3", u" SP3"}}) {
    if (Contains(servicePack, pack)) {
      return suffix;
    }
  }
  return {};
}

std::u16string ProductNameWithServicePack(const Registry& registry, Prompts& prompts) {
  const std::u16string productName = CurrentVersionText(registry, u"ProductName");
  const std::u16string suffix = ServicePackSuffix(registry);
  if (!Contains(productName, u"Windows XP")) {
    return productName;
  }
  if (suffix == u" SP1" || suffix == u" SP2") {
    prompts.ShowWarning(kWarningCaption, kUpgradeAdvice);
  }
  return productName + suffix;
}

std::u16string OsStepText(const SystemFacts& system, const Registry& registry, Prompts& prompts) {
  // The version query reports Windows 10 as 6.2 ("Windows 8"), and XP's service pack
  // matters for the advice; for those the registry's own product name is the truth.
  const std::u16string productName = ProductNameWithServicePack(registry, prompts);
  if (Contains(productName, u"Windows XP") || Contains(productName, u"Windows 10")) {
    return productName;
  }
  return DescribeWindows(system.VersionFacts());
}

}  // namespace tessaly
