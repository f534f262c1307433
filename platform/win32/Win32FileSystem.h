#pragma once

#include "platform/FileSystem.h"

namespace tessaly::win32 {

class Win32FileSystem final : public FileSystem {
 public:
  std::string TempDirectoryAnsi() const override;
  bool CreateDirectoryAnsi(const std::string& path) const override;
};

}  // namespace tessaly::win32
