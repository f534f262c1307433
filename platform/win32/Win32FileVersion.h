#pragma once

#include "platform/FileVersion.h"

namespace tessaly::win32 {

// Version resources through GetFileVersionInfoW and VerQueryValueW.
class Win32FileVersion final : public FileVersionReader {
 public:
  bool QueryFileVersion(const std::u16string& path, FixedFileVersion* out) const override;
};

}  // namespace tessaly::win32
