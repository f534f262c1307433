#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace tessaly {

struct RegistryTextSource {
  RegistryRoot root = RegistryRoot::LocalMachine;
  std::u16string_view path{};
  RegistryAccess access = RegistryAccess::Read;
  RegistryView view = RegistryView::Default;
};

// A string value read as the version texts are read: through a buffer of `maxBytes`
// (terminator included). Nothing when the key cannot be opened or the value is missing,
// not a string, or longer than the buffer: a text that does not fit is no text.
std::optional<std::u16string> ReadRegistryText(const Registry& registry,
                                               const RegistryTextSource& source,
                                               std::u16string_view name, std::size_t maxBytes);

}  // namespace tessaly
