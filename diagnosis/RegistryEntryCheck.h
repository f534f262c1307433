#pragma once

#include "config/CheckConfig.h"
#include "platform/CodePages.h"
#include "platform/Registry.h"

namespace tessaly {

// How the browser and policy checks open keys: query, set, create subkey, enumerate, notify
// and read control (KEY_READ | KEY_WRITE), always in the process's own registry view.
inline constexpr RegistryAccess kCheckKeyAccess = RegistryAccess::ReadWrite;
inline constexpr RegistryView kCheckKeyView = RegistryView::Default;

// Whether the value a `ConfigEntry` of the "registry" group names holds what it asks for:
//   "reg_dword"  `value` decimal, compared under the decimal `mask` (all bits when empty);
//                a repair changes only the masked bits of a stored number.
//   "reg_sz"     `value` exactly, case-sensitive; a stored text of more than 512
//                characters is unreadable.
//   "reg_binary" `value` as hexadecimal pairs (BytesOfHexText); a stored value of more than
//                512 bytes is unreadable, one of another type differs.
// Any other type, a key path without "\", a value or mask that is not a 32-bit decimal
// number, or a text that does not convert to UTF-16 is never satisfied.
//
// Without `repair` it only measures; a missing key is not created. With `repair` a missing
// key is created, a missing or different value is written, and the answer is a fresh
// measurement. A value that cannot be read (for example a DWORD stored as text) is left
// alone and fails.
bool EnforceRegistryEntry(const Registry& registry, const CodePages& codePages,
                          const ConfigEntry& entry, bool repair);

}  // namespace tessaly
