#pragma once

#include <string_view>

#include "platform/Registry.h"

namespace tessaly {

// Removes what older versions left behind to start at logon: the Run value
// "Quaymark_Orvendel" and the compatibility-mode setting of the program file at
// `programPath` (its full path). Missing keys and values and every failure are ignored.
void ClearLegacyAutostart(const Registry& registry, std::u16string_view programPath);

}  // namespace tessaly
