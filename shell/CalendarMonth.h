#pragma once

#include "platform/Clock.h"

namespace tessaly {

// The same day and time one calendar month later, December going to January of the next
// year. A day the next month does not have carries over into the month after, as the C
// library normalises calendar times: 31 January gives 3 March (2 March in a leap year).
// `start` must be a valid calendar date.
LocalDateTime OneMonthLater(const LocalDateTime& start);

}  // namespace tessaly
