#include "platform/native/EmbeddedResources.h"

#include <algorithm>

namespace tessaly {
namespace {

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

}  // namespace

std::string EmbeddedResources::LoadResourceBytes(std::string_view name, unsigned type) const {
  for (const EmbeddedResource& resource : EmbeddedResourceTable()) {
    if (resource.type == type && EqualIgnoringAsciiCase(resource.name, name)) {
      return std::string(resource.bytes);
    }
  }
  return {};
}

}  // namespace tessaly
