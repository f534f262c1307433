#pragma once

#include "platform/WideEnvironment.h"

namespace tessaly::win32 {

class Win32WideEnvironment final : public WideEnvironment {
 public:
  std::optional<std::u16string> ExpandWide(std::u16string_view text) const override;
};

}  // namespace tessaly::win32
