#include "platform/win32/Win32ModuleResources.h"

#include <windows.h>

#include <optional>

#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

// Resource and type names are plain ASCII identifiers such as "ITEM.XML" or "CER";
// anything else cannot name one of ours.
std::optional<std::u16string> AsciiResourceName(std::string_view name) {
  std::u16string wide;
  for (char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80 || c == '\0') {
      return std::nullopt;
    }
    wide.push_back(static_cast<char16_t>(c));
  }
  return wide;
}

}  // namespace

std::string Win32ModuleResources::LoadResourceBytes(std::string_view name, ResourceType type) const {
  const std::optional<std::u16string> wideName = AsciiResourceName(name);
  const std::optional<std::u16string> wideType =
      type.IsNamed() ? AsciiResourceName(type.Name()) : std::u16string();
  if (!wideName || !wideType) {
    return {};
  }
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(module, AsWide(*wideName),
                                 type.IsNamed() ? AsWide(*wideType) : MAKEINTRESOURCEW(type.Number()));
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
