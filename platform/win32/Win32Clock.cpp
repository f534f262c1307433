#include "platform/win32/Win32Clock.h"

#include <time.h>

namespace tessaly::win32 {

std::int64_t Win32Clock::Now() const { return _time64(nullptr); }

std::optional<LocalDateTime> Win32Clock::ToLocal(std::int64_t seconds) const {
  const __time64_t time = seconds;
  // The runtime keeps the result in a buffer of the calling thread; it is copied at once.
  const tm* local = _localtime64(&time);
  if (local == nullptr) {
    return std::nullopt;
  }
  return LocalDateTime{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday,
                       local->tm_hour,        local->tm_min,     local->tm_sec};
}

std::optional<std::int64_t> Win32Clock::FromLocal(const LocalDateTime& local) const {
  tm fields{};
  fields.tm_year = local.year - 1900;
  fields.tm_mon = local.month - 1;
  fields.tm_mday = local.day;
  fields.tm_hour = local.hour;
  fields.tm_min = local.minute;
  fields.tm_sec = local.second;
  fields.tm_isdst = -1;  // let the time zone decide whether daylight saving applies then
  const __time64_t time = _mktime64(&fields);
  if (time == -1) {
    return std::nullopt;
  }
  return time;
}

}  // namespace tessaly::win32
