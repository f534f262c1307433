#pragma once

#include "platform/Clock.h"

namespace tessaly::win32 {

// The system clock and the user's time zone through the C runtime's 64-bit time functions.
class Win32Clock final : public Clock {
 public:
  std::int64_t Now() const override;
  std::optional<LocalDateTime> ToLocal(std::int64_t seconds) const override;
  std::optional<std::int64_t> FromLocal(const LocalDateTime& local) const override;
};

}  // namespace tessaly::win32
