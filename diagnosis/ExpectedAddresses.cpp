#include "diagnosis/ExpectedAddresses.h"

#include <cstddef>
#include <string_view>

namespace tessaly {

ExpectedAddresses FoldExpectedAddresses(const ConfigGroup& dnsGroup) {
  ExpectedAddresses expected;
  for (const ConfigEntry& entry : dnsGroup.entries) {
    std::vector<std::string>& addresses = expected[entry.text];
    std::string_view rest = entry.value;
    for (std::size_t bar = rest.find('|'); bar != std::string_view::npos; bar = rest.find('|')) {
      if (bar > 0) {
        addresses.emplace_back(rest.substr(0, bar));
      }
      rest.remove_prefix(bar + 1);
    }
    addresses.emplace_back(rest);
  }
  return expected;
}

}  // namespace tessaly
