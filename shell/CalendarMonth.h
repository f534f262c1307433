#pragma once

#include "platform/Clock.h"

namespace tessaly {

// The same day and time one calendar month later, December going to January of the next
// year. A day the next month does not have carries over into the month after, as the C
// library normalises calendar times: 31 January gives 3 March (2 March in a leap year).
// `start` must be a valid calendar date.
LocalDateTime OneMonthLater(const LocalDateTime& start);

// The same day number one calendar month earlier, January going to December of the year
// before, with the same carry-over: 31 March gives 3 March (2 March in a leap year).
// `start` needs a month of 1 to 12 and a day of 1 to 31.
LocalDateTime OneMonthEarlier(const LocalDateTime& start);

// The date with a day number beyond its month's end carried over into the following
// months, as mktime does: 31 April is 1 May. Needs a month of 1 to 12 and a day above 0.
LocalDateTime NormalisedDate(const LocalDateTime& date);

}  // namespace tessaly
