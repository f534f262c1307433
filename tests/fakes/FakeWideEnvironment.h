#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/WideEnvironment.h"
#include "tests/fakes/FakeEnvironment.h"

namespace tessaly {

// The wide side of FakeEnvironment: the same variables, expanded the same way. Tests use
// ASCII names and values; any other character makes the expansion fail.
class FakeWideEnvironment final : public WideEnvironment {
 public:
  FakeEnvironment variables;

  std::optional<std::u16string> ExpandWide(std::u16string_view text) const override;
};

}  // namespace tessaly
