#include "config/CheckConfig.h"

#include <algorithm>

namespace tessaly {

const ConfigGroup* FindGroup(const CheckConfig& config, std::string_view type) {
  const auto found = std::ranges::find(config.groups, type, &ConfigGroup::type);
  return found == config.groups.end() ? nullptr : &*found;
}

}  // namespace tessaly
