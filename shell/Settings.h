#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/Registry.h"
#include "shell/SettingsNames.h"

namespace tessaly {

// The user's settings: values of one registry key (SettingsNames.h), kept open for the
// program's life. Registry errors never surface: a value that cannot be read reads as 0,
// a write that fails is dropped, and without a key the program runs with every setting 0.
//
// The GUI thread and the update worker share one object. After construction nothing in it
// changes; every call goes straight to the open key, and the registry serialises those.
class Settings {
 public:
  // `key` may be null (the key could neither be opened nor created).
  Settings(std::unique_ptr<RegistryKey> key, const Clock& clock);

  // The DWORD value `name`; 0 when absent or unreadable.
  std::uint32_t ReadDword(std::u16string_view name) const;
  void WriteDword(std::u16string_view name, std::uint32_t value);

  // Whether the next update check is due: `LastUpdate` and the period in `UpdateType`.
  // A missing or wrong-typed `UpdateType` is rewritten as daily.
  bool IsUpdateDue();

  // The local time of the last diagnosis start, or kNoLastCheckTime.
  std::u16string ReadLastCheckTime() const;
  // Records the current local time as the last diagnosis start.
  void WriteLastCheckTime();

 private:
  std::unique_ptr<RegistryKey> key_;
  const Clock* clock_;
};

struct OpenedSettings {
  Settings settings;
  bool created = false;  // the key was new: defaults written, legacy autostart removed
};

// Opens the settings key for reading and writing. On the first run the key is created
// with its defaults, and older start-at-logon registrations of the program at
// `programPath` (its full path) are removed. Existing values are never touched.
OpenedSettings OpenSettings(const Registry& registry, const Clock& clock,
                            std::u16string_view programPath);

}  // namespace tessaly
