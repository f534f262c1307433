#pragma once

#include "platform/ModuleResources.h"

namespace tessaly::win32 {

// Resources of the executable module of the running process.
class Win32ModuleResources final : public ModuleResources {
 public:
  std::string LoadResourceBytes(std::string_view name, ResourceType type) const override;
};

}  // namespace tessaly::win32
