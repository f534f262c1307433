#pragma once

#include "platform/ModuleLoader.h"

namespace tessaly::win32 {

// Libraries through LoadLibraryW, GetProcAddress and FreeLibrary.
class Win32ModuleLoader final : public ModuleLoader {
 public:
  std::unique_ptr<LoadedModule> Load(std::u16string_view path) const override;
};

}  // namespace tessaly::win32
