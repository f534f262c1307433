#include "shell/UpdateSchedule.h"

#include <optional>

#include "shell/CalendarMonth.h"

namespace tessaly {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kSecondsPerWeek = 7 * kSecondsPerDay;

std::optional<std::int64_t> NextMonthlyCheck(std::int64_t last, const Clock& clock) {
  const std::optional<LocalDateTime> local = clock.ToLocal(last);
  if (!local) {
    return std::nullopt;
  }
  return clock.FromLocal(OneMonthLater(*local));
}

std::optional<std::int64_t> NextCheck(std::uint32_t updateType, std::int64_t last,
                                      const Clock& clock) {
  switch (updateType) {
    case kUpdateDaily: return last + kSecondsPerDay;
    case kUpdateWeekly: return last + kSecondsPerWeek;
    case kUpdateMonthly: return NextMonthlyCheck(last, clock);
    default: return std::nullopt;
  }
}

}  // namespace

bool IsUpdatePeriodOver(std::uint32_t updateType, std::uint32_t lastUpdate, const Clock& clock) {
  const std::int64_t now = clock.Now();
  const std::int64_t last = lastUpdate;
  // A last check in the future means the clock was wrong then or is wrong now; waiting
  // for that moment could suppress updates for years, so check again.
  if (last > now) {
    return true;
  }
  const std::optional<std::int64_t> next = NextCheck(updateType, last, clock);
  return !next || now >= *next;
}

}  // namespace tessaly
