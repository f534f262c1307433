#include "shell/CalendarMonth.h"

namespace tessaly {
namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

void AdvanceMonth(LocalDateTime& date) {
  if (++date.month > 12) {
    date.month = 1;
    ++date.year;
  }
}

}  // namespace

LocalDateTime NormalisedDate(const LocalDateTime& date) {
  LocalDateTime normalised = date;
  while (normalised.day > DaysInMonth(normalised.year, normalised.month)) {
    normalised.day -= DaysInMonth(normalised.year, normalised.month);
    AdvanceMonth(normalised);
  }
  return normalised;
}

LocalDateTime OneMonthLater(const LocalDateTime& start) {
  LocalDateTime next = start;
  AdvanceMonth(next);
  return NormalisedDate(next);
}

LocalDateTime OneMonthEarlier(const LocalDateTime& start) {
  LocalDateTime previous = start;
  if (--previous.month < 1) {
    previous.month = 12;
    --previous.year;
  }
  return NormalisedDate(previous);
}

}  // namespace tessaly
