#pragma once

#include <array>
#include <string_view>

namespace tessaly {

// One certificate of the bank's chain: the current user's system store that must hold it,
// the name its subject carries (as common name or organisation) and the resource (type
// "CER") the program carries it in. Resource names are looked up without regard to case.
struct RootChainRow {
  std::string_view storeName;
  std::string_view searchName;
  std::string_view resourceName;
};

// The chain in its fixed processing order: the root first, then the intermediate
// authorities.
inline constexpr std::array<RootChainRow, 5> RootChainTable = {{
    {"ROOT", "CFCA ACS CA", "Root_CA"},
    {"CA", "CFCA ACS OCA31", "Policy_CA"},
    {"CA", "CFCA Operation CA", "Operation_CA"},
    {"CA", "CFCA Operation CA1", "Operation_CA1"},
    {"CA", "CFCA Operation CA2", "Operation_CA2"},
}};

}  // namespace tessaly
