#pragma once

#include <optional>
#include <string_view>

#include "platform/Registry.h"

namespace tessaly {

// A registry key as configuration texts write it: a root name, "\", the subkey.
struct RegistryPath {
  RegistryRoot root = RegistryRoot::CurrentUser;
  std::string_view subkey{};  // UTF-8, a view into the text it was split from
};

// The root a configured name stands for, compared after upper-casing: "HKLM" or
// "HKEY_LOCAL_MACHINE", "HKCU" or "HKEY_CURRENT_USER", "HKCR" or "HKEY_CLASSES_ROOT".
// Any other name, HKEY_USERS among them, means the current user.
RegistryRoot RegistryRootNamed(std::string_view name);

// Splits a key path at its first "\" into root and subkey; nothing when it has no "\".
std::optional<RegistryPath> SplitRegistryPath(std::string_view text);

}  // namespace tessaly
