#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/Environment.h"

namespace tessaly {

// Variable names compare without regard to ASCII case, as Windows compares them.
struct LessIgnoringAsciiCase {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

// An environment of named variables, expanded the way Windows expands: a %NAME% that names a
// variable is replaced; one that does not stays as written, and its closing "%" may open
// the next reference.
class FakeEnvironment final : public Environment {
 public:
  std::map<std::string, std::string, LessIgnoringAsciiCase> variables;
  // Every expansion fails (empty answer).
  bool fail = false;

  std::string ExpandAnsi(std::string_view text) const override;
};

}  // namespace tessaly
