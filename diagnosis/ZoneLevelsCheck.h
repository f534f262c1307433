#pragma once

#include "config/CheckConfig.h"
#include "platform/UrlZones.h"

namespace tessaly {

// Check item 10: the Internet, Trusted sites and Restricted sites zones (in this order)
// follow the security template the platform recommends for them. A zone whose attributes
// cannot be read is passed over. Without repair the check fails at the first zone that
// differs. With repair each such zone is set to its recommended level and the template's
// policies are copied into it (which also overwrites per-action values set from the
// registry entries; the registry repair runs after this one); the repair answers false
// when a write or copy was refused, but mends the other zones all the same. Fails when the
// zone manager cannot be created. Writes `zoneLevelsOk`.
bool CheckZoneLevels(CheckConfig& config, const UrlZoneServices& zones, bool repair);

}  // namespace tessaly
