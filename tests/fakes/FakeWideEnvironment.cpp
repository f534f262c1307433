#include "tests/fakes/FakeWideEnvironment.h"

#include <algorithm>

namespace tessaly {

std::optional<std::u16string> FakeWideEnvironment::ExpandWide(std::u16string_view text) const {
  if (variables.fail || std::ranges::any_of(text, [](char16_t c) { return c > 0x7f; })) {
    return std::nullopt;
  }
  const std::string expanded = variables.ExpandAnsi(std::string(text.begin(), text.end()));
  return std::u16string(expanded.begin(), expanded.end());
}

}  // namespace tessaly
