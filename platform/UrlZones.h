#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace tessaly {

// The browser's URL security zones by the platform's numbers.
inline constexpr std::uint32_t kTrustedSitesZone = 2;
inline constexpr std::uint32_t kInternetZone = 3;
inline constexpr std::uint32_t kRestrictedSitesZone = 4;

// Zone flag: every site of the zone must be reached over HTTPS (server verification). While
// it is set, the platform refuses to add a plain-HTTP site to the zone.
inline constexpr std::uint32_t kZoneFlagRequireVerification = 0x4;

// The attributes of a zone that the checks look at. The zone's other attributes (names,
// icon, lowest template level) are the platform's to keep; writing these leaves them alone.
struct ZoneAttributes {
  std::uint32_t currentLevel = 0;      // the security template the zone follows now
  std::uint32_t recommendedLevel = 0;  // the template the platform recommends for it
  std::uint32_t flags = 0;             // zone flags such as kZoneFlagRequireVerification

  bool operator==(const ZoneAttributes&) const = default;
};

// The zone manager: reads and writes zone settings.
class ZoneManager {
 public:
  virtual ~ZoneManager() = default;
  // Nothing when the zone's attributes cannot be read.
  virtual std::optional<ZoneAttributes> GetZoneAttributes(std::uint32_t zone) const = 0;
  // Writes the current level and the flags of `attributes`; false when refused.
  virtual bool SetZoneAttributes(std::uint32_t zone, const ZoneAttributes& attributes) = 0;
  // Copies the per-action policies of security template `templateLevel` into the zone.
  virtual bool CopyTemplatePoliciesToZone(std::uint32_t templateLevel, std::uint32_t zone) = 0;
};

// How a request to map a site to a zone ended. Access denied is told apart because the
// platform answers it for a plain-HTTP site and a zone that requires server verification.
enum class ZoneMappingResult { Added, AccessDenied, Failed };

// The security manager: says which zone a URL lies in and maps sites to zones.
class SecurityManager {
 public:
  virtual ~SecurityManager() = default;
  // Nothing when the URL cannot be mapped.
  virtual std::optional<std::uint32_t> MapUrlToZone(std::u16string_view url) const = 0;
  // Adds a mapping of `pattern` (a URL or site) to `zone`, creating it.
  virtual ZoneMappingResult AddZoneMapping(std::uint32_t zone, std::u16string_view pattern) = 0;
};

// Where the managers come from. Either creation answers nullptr when the platform cannot
// create the manager (its component is missing, or the calling thread has no COM).
class UrlZoneServices {
 public:
  virtual ~UrlZoneServices() = default;
  virtual std::unique_ptr<ZoneManager> CreateZoneManager() const = 0;
  virtual std::unique_ptr<SecurityManager> CreateSecurityManager() const = 0;
};

}  // namespace tessaly
