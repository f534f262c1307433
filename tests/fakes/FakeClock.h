#pragma once

#include <cstdint>
#include <optional>

#include "platform/Clock.h"

namespace tessaly {

// A clock that stands still at `now`, in a time zone `utcOffsetSeconds` east of UTC
// without daylight saving. Like the Windows C runtime it cannot convert moments before
// 1970, and it refuses calendar fields that are not a valid date, so a caller that forgets
// to normalise them sees a failure instead of a silently shifted time.
class FakeClock final : public Clock {
 public:
  std::int64_t now = 0;
  std::int64_t utcOffsetSeconds = 0;
  bool conversionsFail = false;  // both conversions answer nothing

  std::int64_t Now() const override { return now; }
  std::optional<LocalDateTime> ToLocal(std::int64_t seconds) const override;
  std::optional<std::int64_t> FromLocal(const LocalDateTime& local) const override;

  // The moment of a local time that must be valid; for arranging tests.
  std::int64_t At(const LocalDateTime& local) const;
};

}  // namespace tessaly
