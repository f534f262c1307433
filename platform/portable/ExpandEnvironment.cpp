#include <utility>

#include "platform/WideEnvironment.h"

namespace tessaly {

std::u16string ExpandEnvironment(const WideEnvironment& environment, std::u16string_view text) {
  std::optional<std::u16string> expanded = environment.ExpandWide(text);
  if (!expanded || expanded->size() > kMaxExpandedChars) {
    return {};
  }
  return std::move(*expanded);
}

}  // namespace tessaly
