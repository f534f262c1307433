#pragma once

#include "platform/DebugOutput.h"

namespace tessaly::win32 {

// Lines through OutputDebugStringA.
class Win32DebugOutput final : public DebugOutput {
 public:
  void Write(std::string_view line) const override;
};

}  // namespace tessaly::win32
