#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The process environment, as the running (32-bit) program sees it.
class Environment {
 public:
  virtual ~Environment() = default;
  // Replaces every %NAME% reference that names a variable with its value; references to
  // unknown variables stay as written. Texts are in the ANSI code page. Empty on failure.
  virtual std::string ExpandAnsi(std::string_view text) const = 0;
};

}  // namespace tessaly
