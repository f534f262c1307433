#pragma once

#include "platform/Registry.h"

namespace tessaly::win32 {

class Win32Registry final : public Registry {
 public:
  std::unique_ptr<RegistryKey> OpenKey(RegistryRoot root, std::u16string_view path,
                                       RegistryAccess access, RegistryView view,
                                       RegistryStatus* status = nullptr) const override;
  std::unique_ptr<RegistryKey> CreateKey(RegistryRoot root, std::u16string_view path,
                                         RegistryAccess access, RegistryView view,
                                         bool* created = nullptr,
                                         RegistryStatus* status = nullptr) const override;
  RegistryStatus DeleteKey(RegistryRoot root, std::u16string_view path) const override;
};

}  // namespace tessaly::win32
