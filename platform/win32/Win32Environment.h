#pragma once

#include "platform/Environment.h"

namespace tessaly::win32 {

class Win32Environment final : public Environment {
 public:
  std::string ExpandAnsi(std::string_view text) const override;
};

}  // namespace tessaly::win32
