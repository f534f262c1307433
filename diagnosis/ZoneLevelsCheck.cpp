#include "diagnosis/ZoneLevelsCheck.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace tessaly {
namespace {

constexpr std::array<std::uint32_t, 3> kCheckedZones = {kInternetZone, kTrustedSitesZone,
                                                        kRestrictedSitesZone};

bool SetRecommendedLevel(ZoneManager& manager, std::uint32_t zone, ZoneAttributes attributes) {
  attributes.currentLevel = attributes.recommendedLevel;
  const bool levelWritten = manager.SetZoneAttributes(zone, attributes);
  const bool policiesCopied = manager.CopyTemplatePoliciesToZone(attributes.recommendedLevel, zone);
  return levelWritten && policiesCopied;
}

}  // namespace

bool CheckZoneLevels(CheckConfig& config, const UrlZoneServices& zones, bool repair) {
  const std::unique_ptr<ZoneManager> manager = zones.CreateZoneManager();
  if (manager == nullptr) {
    return config.zoneLevelsOk = false;
  }
  bool repaired = true;
  for (const std::uint32_t zone : kCheckedZones) {
    const std::optional<ZoneAttributes> attributes = manager->GetZoneAttributes(zone);
    if (!attributes || attributes->currentLevel == attributes->recommendedLevel) {
      continue;
    }
    if (!repair) {
      return config.zoneLevelsOk = false;
    }
    repaired = SetRecommendedLevel(*manager, zone, *attributes) && repaired;
  }
  return config.zoneLevelsOk = repaired;
}

}  // namespace tessaly
