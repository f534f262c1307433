#pragma once

#include <string_view>

#include "config/CheckConfig.h"
#include "platform/CodePages.h"
#include "platform/UrlZones.h"

namespace tessaly {

// Check item 11: every URL of the "trust" group lies in the Trusted sites zone; a URL the
// security manager cannot map counts as lying in no zone. Without repair the check fails at
// the first URL outside the zone; with repair each such URL is added (AddTrustedSite,
// whose answer is not looked at: the measurement that follows the repair tells). Passes
// without the group; fails when the security manager cannot be created. Writes `trustOk`.
bool CheckTrustedSites(CheckConfig& config, const UrlZoneServices& zones,
                       const CodePages& codePages, bool repair);

// Maps `url` to the Trusted sites zone. When the platform denies it (a plain-HTTP site while
// the zone requires server verification), the zone's verification flag is cleared for one
// more attempt and set again right after, so the zone keeps requiring HTTPS of its other
// sites. True when the last attempt added the mapping.
bool AddTrustedSite(const UrlZoneServices& zones, std::u16string_view url);

}  // namespace tessaly
