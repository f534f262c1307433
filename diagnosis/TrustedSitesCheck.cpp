#include "diagnosis/TrustedSitesCheck.h"

#include <memory>
#include <optional>
#include <string>

#include "config/TextConversion.h"

namespace tessaly {
namespace {

// The second attempt of AddTrustedSite, with the zone's verification flag switched off
// around it.
bool AddWithoutVerification(const UrlZoneServices& zones, SecurityManager& security,
                            std::u16string_view url) {
  const std::unique_ptr<ZoneManager> manager = zones.CreateZoneManager();
  if (manager == nullptr) {
    return false;
  }
  std::optional<ZoneAttributes> attributes = manager->GetZoneAttributes(kTrustedSitesZone);
  if (!attributes || (attributes->flags & kZoneFlagRequireVerification) == 0) {
    return false;
  }
  attributes->flags &= ~kZoneFlagRequireVerification;
  if (!manager->SetZoneAttributes(kTrustedSitesZone, *attributes)) {
    return false;
  }
  const bool added = security.AddZoneMapping(kTrustedSitesZone, url) == ZoneMappingResult::Added;
  attributes->flags |= kZoneFlagRequireVerification;
  manager->SetZoneAttributes(kTrustedSitesZone, *attributes);
  return added;
}

}  // namespace

bool AddTrustedSite(const UrlZoneServices& zones, std::u16string_view url) {
  const std::unique_ptr<SecurityManager> security = zones.CreateSecurityManager();
  if (security == nullptr) {
    return false;
  }
  switch (security->AddZoneMapping(kTrustedSitesZone, url)) {
    case ZoneMappingResult::Added:
      return true;
    case ZoneMappingResult::AccessDenied:
      return AddWithoutVerification(zones, *security, url);
    case ZoneMappingResult::Failed:
      break;
  }
  return false;
}

bool CheckTrustedSites(CheckConfig& config, const UrlZoneServices& zones,
                       const CodePages& codePages, bool repair) {
  const ConfigGroup* group = FindGroup(config, "trust");
  if (group == nullptr) {
    return config.trustOk = true;
  }
  const std::unique_ptr<SecurityManager> security = zones.CreateSecurityManager();
  if (security == nullptr) {
    return config.trustOk = false;
  }
  for (const ConfigEntry& entry : group->entries) {
    const std::u16string url = Utf8ToWide(codePages, entry.text);
    if (security->MapUrlToZone(url) == kTrustedSitesZone) {
      continue;
    }
    if (!repair) {
      return config.trustOk = false;
    }
    AddTrustedSite(zones, url);
  }
  return config.trustOk = true;
}

}  // namespace tessaly
