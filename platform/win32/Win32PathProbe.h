#pragma once

#include "platform/PathProbe.h"

namespace tessaly::win32 {

// Existence through GetFileAttributesW.
class Win32PathProbe final : public PathProbe {
 public:
  bool PathExists(const std::u16string& path) const override;
};

}  // namespace tessaly::win32
