#include "diagnosis/ComponentPresence.h"

#include <memory>
#include <string>

#include "diagnosis/RegistryPath.h"
#include "platform/RegistryValues.h"

namespace tessaly {
namespace {

constexpr std::u16string_view kAddonSettingsKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\";
// The in-process server path is read into a buffer of 260 characters.
constexpr std::size_t kMaxServerPathBytes = 260 * sizeof(char16_t);
constexpr std::uint32_t kAddonDisabledFlags = 1;

// The root names are ASCII; any other character keeps a name from matching one.
std::string AsciiOf(std::u16string_view text) {
  std::string ascii;
  for (const char16_t unit : text) {
    ascii.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
  }
  return ascii;
}

// The existence test, with the redirection switched off around it for the 64-bit side.
bool ExistsOnSide(const ComponentPlatform& platform, const std::u16string& path,
                  std::u16string_view bit) {
  std::unique_ptr<RedirectionPause> pause;
  if (!bit.empty()) {
    pause = platform.redirection.SwitchOff();
  }
  return platform.paths.PathExists(path);
}

}  // namespace

bool IsClsidRegistered(const ComponentPlatform& platform, std::u16string_view clsid,
                       std::u16string_view bit) {
  const std::u16string path = u"CLSID\\" + std::u16string(clsid) + u"\\InprocServer32";
  const std::unique_ptr<RegistryKey> key =
      platform.registry.OpenKey(RegistryRoot::ClassesRoot, path, RegistryAccess::Read,
                                bit.empty() ? RegistryView::Default : RegistryView::Native64);
  if (!key) {
    return false;
  }
  RegistryValue stored;
  if (key->ReadValue(u"", stored) != RegistryStatus::Ok) {
    return false;
  }
  const RegistryRead<std::u16string> server = ReadString(*key, u"", kMaxServerPathBytes);
  if (!server.ok()) {
    return false;
  }
  // COM expands an expandable server path ("%SystemRoot%\...") before it loads the
  // library; the path tested must be the one the system would load.
  if (stored.type == RegistryType::ExpandString) {
    const std::u16string expanded = ExpandEnvironment(platform.environment, server.value);
    return !expanded.empty() && ExistsOnSide(platform, expanded, bit);
  }
  return ExistsOnSide(platform, server.value, bit);
}

bool IsAddonDisabled(const Registry& registry, std::u16string_view clsid, bool enable) {
  const std::u16string path = std::u16string(kAddonSettingsKey) + std::u16string(clsid);
  const std::unique_ptr<RegistryKey> key =
      registry.OpenKey(RegistryRoot::CurrentUser, path, RegistryAccess::Read, RegistryView::Default);
  if (!key) {
    return false;
  }
  const RegistryRead<std::uint32_t> flags = ReadDword(*key, u"Flags");
  if (!flags.ok() || flags.value != kAddonDisabledFlags) {
    return false;
  }
  if (enable) {
    registry.DeleteKey(RegistryRoot::CurrentUser, path);
    return false;
  }
  return true;
}

bool RegistryRefExists(const Registry& registry, std::u16string_view reference) {
  const std::size_t first = reference.find(u',');
  if (first == std::u16string_view::npos) {
    return false;
  }
  const std::u16string_view rest = reference.substr(first + 1);
  const std::size_t second = rest.find(u',');
  if (second == std::u16string_view::npos) {
    return false;
  }
  const RegistryRoot root = RegistryRootNamed(AsciiOf(reference.substr(0, first)));
  const std::unique_ptr<RegistryKey> key =
      registry.OpenKey(root, rest.substr(0, second), RegistryAccess::ReadWrite,
                       RegistryView::Default);
  if (!key) {
    return false;
  }
  const std::u16string_view valueName = rest.substr(second + 1);
  RegistryValue value;
  return valueName.empty() || key->ReadValue(valueName, value) == RegistryStatus::Ok;
}

bool PathExistsFor(const ComponentPlatform& platform, std::u16string_view path,
                   std::u16string_view bit) {
  const std::u16string expanded = ExpandEnvironment(platform.environment, path);
  return !expanded.empty() && ExistsOnSide(platform, expanded, bit);
}

}  // namespace tessaly
