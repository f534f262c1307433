#pragma once

#include "config/CheckConfig.h"
#include "platform/Resolver.h"

namespace tessaly {

// Check item 6: every host of the "dns" group resolves, and only to addresses configured
// for it. Hosts are resolved in ascending byte order of their names (not entry order) and
// the check stops at the first that fails. Without the group it passes. Writes `dnsOk`.
bool CheckDns(CheckConfig& config, const Resolver& resolver);

}  // namespace tessaly
