#pragma once

#include <map>
#include <string>
#include <vector>

#include "config/CheckConfig.h"

namespace tessaly {

// Host name (compared byte for byte) to the address texts it may resolve to, in entry
// order. std::string orders its bytes as unsigned values, so the map runs in ascending byte
// order of the names.
using ExpectedAddresses = std::map<std::string, std::vector<std::string>>;

// Folds the "dns" entries: each `value` is split at every "|"; the non-empty parts before
// the last "|" are added, and the remainder after it is always added, even when it is
// empty (so an entry without any address expects only the empty text and can never pass).
// Several entries for one host add to the same list.
ExpectedAddresses FoldExpectedAddresses(const ConfigGroup& dnsGroup);

}  // namespace tessaly
