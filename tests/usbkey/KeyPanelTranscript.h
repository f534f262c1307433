#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "shell/Settings.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/RecordingPageSink.h"

namespace tessaly {

// Rows of the key panel as the page receives them.
inline PageCall Row(std::int32_t item, std::int32_t value) {
  return PageCall::SetState(804, item, value);
}
inline PageCall Row(std::int32_t item, std::u16string_view text) {
  return PageCall::SetState(804, item, text);
}

// What every probe run sends: rows 2 to 12 blanked, then `then`.
inline std::vector<PageCall> Blanked(std::vector<PageCall> then = {}) {
  std::vector<PageCall> calls;
  for (std::int32_t item = 2; item <= 12; ++item) {
    calls.push_back(PageCall::ClearState(804, item));
  }
  calls.insert(calls.end(), then.begin(), then.end());
  return calls;
}

// The settings of a user who has chosen key type `userType`.
inline Settings SettingsWithUserType(const FakeRegistry& registry, const Clock& clock,
                                     std::uint32_t userType) {
  Settings settings(registry.CreateKey(RegistryRoot::CurrentUser, kSettingsKeyPath,
                                       RegistryAccess::ReadWrite, RegistryView::Default),
                    clock);
  settings.WriteDword(kUserType, userType);
  return settings;
}

}  // namespace tessaly
