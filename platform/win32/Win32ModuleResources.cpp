#include "platform/win32/Win32ModuleResources.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace tessaly::win32 {

std::string Win32ModuleResources::LoadResourceBytes(std::string_view name, unsigned type) const {
  // Resource names are plain ASCII identifiers such as "ITEM.XML"; anything else cannot
  // name one of ours.
  std::u16string wideName;
  for (char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80 || c == '\0') {
      return {};
    }
    wideName.push_back(static_cast<char16_t>(c));
  }
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(module, AsWide(wideName), MAKEINTRESOURCEW(type));
  if (resource == nullptr) {
    return {};
  }
  const DWORD size = SizeofResource(module, resource);
  HGLOBAL loaded = LoadResource(module, resource);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr || size == 0) {
    return {};
  }
  return std::string(static_cast<const char*>(bytes), size);
}

}  // namespace tessaly::win32
