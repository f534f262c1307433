#include "tests/fakes/FakeClock.h"

#include <stdexcept>

namespace tessaly {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date, and back (eras of 400 years).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

LocalDateTime CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
  LocalDateTime date;
  date.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  date.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  date.year = static_cast<int>(static_cast<std::int64_t>(yearOfEra) + era * 400 +
                               (date.month <= 2 ? 1 : 0));
  return date;
}

bool IsValid(const LocalDateTime& local) {
  if (local.month < 1 || local.month > 12 || local.day < 1 || local.hour < 0 ||
      local.hour > 23 || local.minute < 0 || local.minute > 59 || local.second < 0 ||
      local.second > 59) {
    return false;
  }
  // The day must survive a round trip through the day count: 31 April comes back as 1 May.
  const std::int64_t days = DaysFromCivil(local.year, static_cast<unsigned>(local.month),
                                          static_cast<unsigned>(local.day));
  const LocalDateTime back = CivilFromDays(days);
  return back.year == local.year && back.month == local.month && back.day == local.day;
}

}  // namespace

std::optional<LocalDateTime> FakeClock::ToLocal(std::int64_t seconds) const {
  if (conversionsFail || seconds < 0) {
    return std::nullopt;
  }
  const std::int64_t local = seconds + utcOffsetSeconds;
  const std::int64_t days = (local >= 0 ? local : local - (kSecondsPerDay - 1)) / kSecondsPerDay;
  const auto secondOfDay = static_cast<int>(local - days * kSecondsPerDay);
  LocalDateTime result = CivilFromDays(days);
  result.hour = secondOfDay / 3600;
  result.minute = secondOfDay / 60 % 60;
  result.second = secondOfDay % 60;
  return result;
}

std::optional<std::int64_t> FakeClock::FromLocal(const LocalDateTime& local) const {
  if (conversionsFail || !IsValid(local)) {
    return std::nullopt;
  }
  const std::int64_t days = DaysFromCivil(local.year, static_cast<unsigned>(local.month),
                                          static_cast<unsigned>(local.day));
  const std::int64_t seconds = days * kSecondsPerDay + local.hour * 3600 + local.minute * 60 +
                               local.second - utcOffsetSeconds;
  if (seconds < 0) {
    return std::nullopt;
  }
  return seconds;
}

std::int64_t FakeClock::At(const LocalDateTime& local) const {
  const std::optional<std::int64_t> seconds = FromLocal(local);
  if (!seconds) {
    throw std::invalid_argument("FakeClock::At needs a valid local time after 1970");
  }
  return *seconds;
}

}  // namespace tessaly
