#pragma once

#include <string_view>

namespace tessaly {

// The user type (as the user chooses it on the page and the settings keep it) that a driver
// item's probe class belongs to: "CWoqiUSBKey" 3, "CWoqiUSBKey1" 4, "CFeitianUSBKey" 5, any
// other text 2. The comparison is exact.
int UserTypeOfClass(std::string_view className);

}  // namespace tessaly
