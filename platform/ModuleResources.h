#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// Resource types as the Windows resource compiler numbers them.
inline constexpr unsigned kResourceTypeHtml = 23;

// The resources carried inside the program's own module.
class ModuleResources {
 public:
  virtual ~ModuleResources() = default;
  // The raw bytes of the resource; empty when it is missing or empty. Names compare
  // without regard to ASCII case, as the resource API compares them.
  virtual std::string LoadResourceBytes(std::string_view name, unsigned type) const = 0;
};

}  // namespace tessaly
