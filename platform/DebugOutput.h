#pragma once

#include <string_view>

namespace tessaly {

// The system's debug-output channel (a debugger or a viewer of it reads the lines; nothing
// goes to a file).
class DebugOutput {
 public:
  virtual ~DebugOutput() = default;
  virtual void Write(std::string_view line) const = 0;
};

}  // namespace tessaly
