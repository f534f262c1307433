#include "platform/native/EmbeddedResources.h"

namespace tessaly {

std::string EmbeddedResources::LoadResourceBytes(std::string_view name, ResourceType type) const {
  for (const EmbeddedResource& resource : EmbeddedResourceTable()) {
    if (SameResourceType(resource.type, type) && SameResourceName(resource.name, name)) {
      return std::string(resource.bytes);
    }
  }
  return {};
}

}  // namespace tessaly
