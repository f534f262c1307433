#pragma once

#include "platform/ProcessLauncher.h"

namespace tessaly::win32 {

class Win32ProcessLauncher final : public ProcessLauncher {
 public:
  bool RunCommand(std::u16string_view commandLine, bool wait) override;
};

}  // namespace tessaly::win32
