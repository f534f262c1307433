#include "shell/LocalTimeText.h"

#include <cstdio>

namespace tessaly {

std::u16string FormatLocalDateTime(const LocalDateTime& local) {
  char text[64] = {};
  const int length = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.year,
                                   local.month, local.day, local.hour, local.minute, local.second);
  std::u16string wide;
  for (int i = 0; i < length; ++i) {
    wide.push_back(static_cast<char16_t>(text[i]));
  }
  return wide;
}

}  // namespace tessaly
