#pragma once

#include <cstdint>
#include <optional>

namespace tessaly {

// A moment as the user's local calendar shows it. Months and days count from 1.
struct LocalDateTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  bool operator==(const LocalDateTime&) const = default;
};

// The system clock and the local time zone, in seconds since 1970-01-01 00:00:00 UTC.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int64_t Now() const = 0;
  // The local calendar time of a moment; nothing when the system cannot convert it.
  virtual std::optional<LocalDateTime> ToLocal(std::int64_t seconds) const = 0;
  // The moment a valid local calendar time stands for, the way mktime finds it (the time
  // zone, daylight saving included, decides); nothing when it cannot be represented.
  virtual std::optional<std::int64_t> FromLocal(const LocalDateTime& local) const = 0;
};

}  // namespace tessaly
