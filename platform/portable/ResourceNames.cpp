#include <algorithm>

#include "platform/ModuleResources.h"

namespace tessaly {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool SameResourceName(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool SameResourceType(ResourceType a, ResourceType b) {
  if (a.IsNamed() != b.IsNamed()) {
    return false;
  }
  return a.IsNamed() ? SameResourceName(a.Name(), b.Name()) : a.Number() == b.Number();
}

}  // namespace tessaly
