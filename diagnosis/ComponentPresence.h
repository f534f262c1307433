#pragma once

#include <string>
#include <string_view>

#include "diagnosis/ComponentPlatform.h"

namespace tessaly {

// The presence tests of the component detection. A `bit` text that is not empty makes a
// test look at the 64-bit side of the system: the native registry view, and the file
// system without the redirection of a 32-bit process (where there is none to switch off,
// the file system as it is). Every test that cannot open its key or file answers "not
// there".

// Whether the class's in-process server, as HKCR\CLSID\{clsid}\InprocServer32 names it (at
// most 260 characters, not expanded), exists.
bool IsClsidRegistered(const ComponentPlatform& platform, std::u16string_view clsid,
                       std::u16string_view bit);

// Whether the browser has the control disabled: the current user's add-on settings key of
// the class holds a REG_DWORD "Flags" of 1. With `enable` that key is deleted instead and
// the answer is false.
bool IsAddonDisabled(const Registry& registry, std::u16string_view clsid, bool enable);

// "ROOT,subkey,value name": whether the key opens (for reading and writing) and, unless the
// value name is empty, holds the value. Fewer than two commas: false.
bool RegistryRefExists(const Registry& registry, std::u16string_view reference);

// Whether the path exists once its environment references are expanded.
bool PathExistsFor(const ComponentPlatform& platform, std::u16string_view path,
                   std::u16string_view bit);

}  // namespace tessaly
