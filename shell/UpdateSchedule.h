#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace tessaly {

// How often the program looks for a new version (the `UpdateType` setting).
inline constexpr std::uint32_t kUpdateDaily = 0;
inline constexpr std::uint32_t kUpdateWeekly = 1;
inline constexpr std::uint32_t kUpdateMonthly = 2;

// Whether the period chosen by `updateType` has passed since `lastUpdate` (the low 32 bits
// of the seconds since 1970 of the last check). Anything the rules cannot place in time,
// an unknown period included, counts as due: a missed check costs a download, a skipped
// one leaves the user on an old version.
bool IsUpdatePeriodOver(std::uint32_t updateType, std::uint32_t lastUpdate, const Clock& clock);

}  // namespace tessaly
