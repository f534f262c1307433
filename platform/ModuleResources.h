#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// A resource type: either a number the Windows resource compiler assigns (RT_HTML is 23)
// or a name of the program's own, such as "CER". The resource API compares type names
// without regard to ASCII case.
class ResourceType {
 public:
  // Implicit, so that a numbered type reads as the plain number it is.
  constexpr ResourceType(unsigned number) : number_(number) {}  // NOLINT(google-explicit-constructor)
  constexpr explicit ResourceType(std::string_view name) : name_(name) {}

  constexpr bool IsNamed() const { return !name_.empty(); }
  constexpr unsigned Number() const { return number_; }
  constexpr std::string_view Name() const { return name_; }

 private:
  unsigned number_ = 0;
  std::string_view name_;
};

inline constexpr ResourceType kResourceTypeHtml{23u};
// The bank's certificates, one DER-encoded X.509 certificate each.
inline constexpr ResourceType kResourceTypeCertificate{std::string_view("CER")};

// True when two names (of resources or of resource types) are the same to the resource
// API, which ignores ASCII case.
bool SameResourceName(std::string_view a, std::string_view b);
bool SameResourceType(ResourceType a, ResourceType b);

// The resources carried inside the program's own module.
class ModuleResources {
 public:
  virtual ~ModuleResources() = default;
  // The raw bytes of the resource; empty when it is missing or empty. Names compare
  // without regard to ASCII case, as the resource API compares them.
  virtual std::string LoadResourceBytes(std::string_view name, ResourceType type) const = 0;
};

}  // namespace tessaly
