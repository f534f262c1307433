#include "shell/LegacyAutostart.h"

#include <memory>

namespace tessaly {
namespace {

constexpr std::u16string_view kRunKeyPath = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::u16string_view kLegacyRunValue = u"Quaymark_Orvendel";
constexpr std::u16string_view kCompatibilityLayersPath =
    u"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";

void DeleteUserValue(const Registry& registry, std::u16string_view keyPath,
                     std::u16string_view valueName) {
  const std::unique_ptr<RegistryKey> key =
      registry.OpenKey(RegistryRoot::CurrentUser, keyPath, RegistryAccess::ReadWrite,
                       RegistryView::Default);
  if (key) {
    key->DeleteValue(valueName);
  }
}

}  // namespace

void ClearLegacyAutostart(const Registry& registry, std::u16string_view programPath) {
  DeleteUserValue(registry, kRunKeyPath, kLegacyRunValue);
  // An empty name would address the key's default value, and the system would cut a name
  // at a zero: neither names the program, so neither may delete anything.
  if (!programPath.empty() && programPath.find(u'\0') == std::u16string_view::npos) {
    DeleteUserValue(registry, kCompatibilityLayersPath, programPath);
  }
}

}  // namespace tessaly
