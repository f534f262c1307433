#include "shell/Settings.h"

#include <optional>
#include <utility>

#include "platform/RegistryValues.h"
#include "shell/LegacyAutostart.h"
#include "shell/LocalTimeText.h"
#include "shell/UpdateSchedule.h"

namespace tessaly {
namespace {

// The stored text must fit the 19 characters of the format and a terminator; anything
// longer is not a time this program wrote.
constexpr std::size_t kLastCheckTimeBytes = 20 * sizeof(char16_t);

constexpr std::uint32_t kDefaultCloseType = 0;  // hide to the tray
constexpr std::uint32_t kDefaultUserType = 2;   // no USB key
constexpr std::uint32_t kDefaultUpdateType = kUpdateDaily;

void WriteDefaults(RegistryKey& key, const Registry& registry, std::u16string_view programPath) {
  WriteDword(key, kCloseType, kDefaultCloseType);
  WriteDword(key, kUserType, kDefaultUserType);
  WriteDword(key, kUpdateType, kDefaultUpdateType);
  ClearLegacyAutostart(registry, programPath);
  WriteDword(key, kIsFirst, 1);
}

}  // namespace

Settings::Settings(std::unique_ptr<RegistryKey> key, const Clock& clock)
    : key_(std::move(key)), clock_(&clock) {}

std::uint32_t Settings::ReadDword(std::u16string_view name) const {
  return key_ ? tessaly::ReadDword(*key_, name).value : 0;
}

void Settings::WriteDword(std::u16string_view name, std::uint32_t value) {
  if (key_) {
    tessaly::WriteDword(*key_, name, value);
  }
}

bool Settings::IsUpdateDue() {
  if (!key_) {
    return true;
  }
  const RegistryRead<std::uint32_t> lastUpdate = tessaly::ReadDword(*key_, kLastUpdate);
  if (!lastUpdate.ok()) {
    return true;
  }
  const RegistryRead<std::uint32_t> updateType = tessaly::ReadDword(*key_, kUpdateType);
  if (!updateType.ok()) {
    tessaly::WriteDword(*key_, kUpdateType, kUpdateDaily);
    return true;
  }
  return IsUpdatePeriodOver(updateType.value, lastUpdate.value, *clock_);
}

std::u16string Settings::ReadLastCheckTime() const {
  if (key_) {
    RegistryRead<std::u16string> stored = ReadString(*key_, kLastCheckTime, kLastCheckTimeBytes);
    if (stored.ok()) {
      return std::move(stored.value);
    }
  }
  return std::u16string(kNoLastCheckTime);
}

void Settings::WriteLastCheckTime() {
  const std::optional<LocalDateTime> now = clock_->ToLocal(clock_->Now());
  if (key_ && now) {
    WriteString(*key_, kLastCheckTime, FormatLocalDateTime(*now));
  }
}

OpenedSettings OpenSettings(const Registry& registry, const Clock& clock,
                            std::u16string_view programPath) {
  std::unique_ptr<RegistryKey> key = registry.OpenKey(
      RegistryRoot::CurrentUser, kSettingsKeyPath, RegistryAccess::ReadWrite, RegistryView::Default);
  bool created = false;
  if (!key) {
    key = registry.CreateKey(RegistryRoot::CurrentUser, kSettingsKeyPath,
                             RegistryAccess::ReadWrite, RegistryView::Default, &created);
    // The defaults belong to a key this call made: one that appeared meanwhile, or that
    // failed to open for a passing reason, keeps the user's values.
    created = created && key != nullptr;
    if (created) {
      WriteDefaults(*key, registry, programPath);
    }
  }
  return {Settings(std::move(key), clock), created};
}

}  // namespace tessaly
