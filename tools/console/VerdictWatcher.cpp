#include "tools/console/VerdictWatcher.h"

#include "diagnosis/PageCodes.h"

namespace tessaly {

void VerdictWatcher::setState(std::int32_t category, std::int32_t item,
                              const PageValue& value) {
  next_->setState(category, item, value);
  const auto* verdict = std::get_if<std::int32_t>(&value);
  if (category == kCategoryProgress && item == kVerdictItem && verdict != nullptr) {
    onVerdict_(*verdict);
  }
}

}  // namespace tessaly
