#pragma once

#include "platform/Registry.h"

namespace tessaly {

// The URL action "1201" of the My Computer zone (zone 0), the zone of the page loaded from
// the program's resources: 0 lets the page create the certificate-enrolment controls,
// which are not marked safe for scripting. The page host sets it before the page loads
// and removes it once the page is complete. Failures are silent.
void SetZoneZeroSwitch(const Registry& registry);
// A missing value is no error.
void RemoveZoneZeroSwitch(const Registry& registry);

}  // namespace tessaly
