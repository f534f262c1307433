#include "shell/CalendarMonth.h"

#include <gtest/gtest.h>

#include <ostream>

namespace tessaly {
namespace {

struct MonthCase {
  LocalDateTime start;
  LocalDateTime expected;
};

void PrintTo(const MonthCase& c, std::ostream* out) {
  *out << c.start.year << "-" << c.start.month << "-" << c.start.day << " " << c.start.hour
       << ":" << c.start.minute << ":" << c.start.second;
}

class OneMonthLaterTest : public testing::TestWithParam<MonthCase> {};

TEST_P(OneMonthLaterTest, KeepsTheTimeAndCarriesMissingDaysOver) {
  const LocalDateTime next = OneMonthLater(GetParam().start);
  EXPECT_EQ(next, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Calendar, OneMonthLaterTest,
    testing::Values(
        MonthCase{{2023, 11, 15, 10, 0, 0}, {2023, 12, 15, 10, 0, 0}},
        MonthCase{{2023, 12, 15, 10, 0, 0}, {2024, 1, 15, 10, 0, 0}},     // into the next year
        MonthCase{{2023, 12, 31, 23, 59, 59}, {2024, 1, 31, 23, 59, 59}},
        MonthCase{{2023, 1, 31, 8, 30, 5}, {2023, 3, 3, 8, 30, 5}},       // 28-day February
        MonthCase{{2024, 1, 31, 8, 30, 5}, {2024, 3, 2, 8, 30, 5}},       // leap year
        MonthCase{{2024, 1, 30, 0, 0, 0}, {2024, 3, 1, 0, 0, 0}},
        MonthCase{{2023, 1, 29, 0, 0, 0}, {2023, 3, 1, 0, 0, 0}},
        MonthCase{{2024, 1, 29, 0, 0, 0}, {2024, 2, 29, 0, 0, 0}},
        MonthCase{{2023, 1, 28, 0, 0, 0}, {2023, 2, 28, 0, 0, 0}},
        MonthCase{{2023, 3, 31, 12, 0, 0}, {2023, 5, 1, 12, 0, 0}},       // 30-day April
        MonthCase{{2023, 8, 31, 12, 0, 0}, {2023, 10, 1, 12, 0, 0}},
        MonthCase{{2023, 7, 31, 12, 0, 0}, {2023, 8, 31, 12, 0, 0}},      // two 31-day months
        MonthCase{{2100, 1, 31, 0, 0, 0}, {2100, 3, 3, 0, 0, 0}},         // century: no leap day
        MonthCase{{2000, 1, 31, 0, 0, 0}, {2000, 3, 2, 0, 0, 0}}));       // 400 years: leap day

TEST(OneMonthEarlierTest, CarriesMissingDaysOverLikeMktime) {
  struct Case {
    LocalDateTime start;
    LocalDateTime expected;
  };
  for (const Case& c : {Case{{2016, 5, 20}, {2016, 4, 20}}, Case{{2016, 1, 15}, {2015, 12, 15}},
                        Case{{2016, 3, 31}, {2016, 3, 2}}, Case{{2015, 3, 31}, {2015, 3, 3}},
                        Case{{2016, 12, 31}, {2016, 12, 1}}, Case{{2016, 7, 31}, {2016, 7, 1}}}) {
    EXPECT_EQ(OneMonthEarlier(c.start), c.expected) << c.start.year << "-" << c.start.month
                                                    << "-" << c.start.day;
  }
  EXPECT_EQ(NormalisedDate({2016, 4, 31}), (LocalDateTime{2016, 5, 1}));
  EXPECT_EQ(NormalisedDate({2016, 2, 29}), (LocalDateTime{2016, 2, 29}));
}

}  // namespace
}  // namespace tessaly
