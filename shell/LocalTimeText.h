#pragma once

#include <string>

#include "platform/Clock.h"

namespace tessaly {

// "%Y-%m-%d %H:%M:%S", for example 2018-05-04 09:03:07.
std::u16string FormatLocalDateTime(const LocalDateTime& local);

}  // namespace tessaly
