#pragma once

#include "adapters/ravelin/MiddlewareSystem.h"

namespace tessaly::ravelin::win32 {

// The registry, ini files and system directories as Ravelin's own process sees them.
class Win32MiddlewareSystem final : public MiddlewareSystem {
 public:
  std::optional<std::string> ReadMachineString(std::string_view keyPath, std::string_view valueName,
                                               bool thirtyTwoBitView) const override;
  std::string ReadIniValue(const std::string& file, std::string_view section,
                           std::string_view name) const override;
  bool IsNative64BitWindows() const override;
  std::string SystemDirectory(FileView view) const override;
  bool FileExists(const std::string& path, FileView view) const override;
};

}  // namespace tessaly::ravelin::win32
