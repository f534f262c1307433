#include "platform/portable/RegistryText.h"

#include <utility>

#include "platform/RegistryValues.h"

namespace tessaly {

std::optional<std::u16string> ReadRegistryText(const Registry& registry,
                                               const RegistryTextSource& source,
                                               std::u16string_view name, std::size_t maxBytes) {
  const std::unique_ptr<RegistryKey> key =
      registry.OpenKey(source.root, source.path, source.access, source.view);
  if (!key) {
    return std::nullopt;
  }
  RegistryRead<std::u16string> read = ReadString(*key, name, maxBytes);
  if (!read.ok()) {
    return std::nullopt;
  }
  return std::move(read.value);
}

}  // namespace tessaly
