#include "shell/UpdateSchedule.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "tests/fakes/FakeClock.h"

namespace tessaly {
namespace {

constexpr std::int64_t kBeijing = 8 * 3600;

// A clock in China's time zone with the last check at `last`.
class UpdateScheduleTest : public testing::Test {
 protected:
  UpdateScheduleTest() { clock_.utcOffsetSeconds = kBeijing; }

  bool DueAt(std::uint32_t updateType, std::int64_t last, std::int64_t now) {
    clock_.now = now;
    return IsUpdatePeriodOver(updateType, static_cast<std::uint32_t>(last), clock_);
  }

  FakeClock clock_;
};

TEST_F(UpdateScheduleTest, DailyAndWeeklyPeriodsEndToTheSecond) {
  const std::int64_t last = 1700000000;
  EXPECT_FALSE(DueAt(kUpdateDaily, last, last));
  EXPECT_FALSE(DueAt(kUpdateDaily, last, last + 86399));
  EXPECT_TRUE(DueAt(kUpdateDaily, last, last + 86400));
  EXPECT_FALSE(DueAt(kUpdateWeekly, last, last + 86400));
  EXPECT_FALSE(DueAt(kUpdateWeekly, last, last + 604799));
  EXPECT_TRUE(DueAt(kUpdateWeekly, last, last + 604800));
}

TEST_F(UpdateScheduleTest, MonthlyIsDueFromTheSameLocalTimeOneMonthLater) {
  struct Case {
    LocalDateTime last;
    LocalDateTime dueFrom;
  };
  const Case cases[] = {
      {{2023, 11, 15, 10, 0, 0}, {2023, 12, 15, 10, 0, 0}},
      {{2023, 12, 15, 10, 0, 0}, {2024, 1, 15, 10, 0, 0}},
      {{2023, 1, 31, 10, 0, 0}, {2023, 3, 3, 10, 0, 0}},
      {{2024, 1, 31, 10, 0, 0}, {2024, 3, 2, 10, 0, 0}},
      // Local midnight is the evening before in UTC: the calendar must be the local one.
      {{2023, 5, 31, 0, 30, 0}, {2023, 7, 1, 0, 30, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.last.year << "-" << c.last.month << "-" << c.last.day);
    const std::int64_t last = clock_.At(c.last);
    const std::int64_t dueFrom = clock_.At(c.dueFrom);
    EXPECT_FALSE(DueAt(kUpdateMonthly, last, dueFrom - 1));
    EXPECT_TRUE(DueAt(kUpdateMonthly, last, dueFrom));
  }
}

TEST_F(UpdateScheduleTest, UnknownPeriodsAreAlwaysDue) {
  const std::int64_t last = 1700000000;
  EXPECT_TRUE(DueAt(3, last, last));
  EXPECT_TRUE(DueAt(0xFFFFFFFF, last, last + 1));
}

TEST_F(UpdateScheduleTest, ALastCheckInTheFutureIsDue) {
  // Written while the clock ran a year ahead; waiting for it would skip a year of updates.
  const std::int64_t now = 1700000000;
  const std::int64_t last = now + 365 * 86400;
  EXPECT_TRUE(DueAt(kUpdateDaily, last, now));
  EXPECT_TRUE(DueAt(kUpdateMonthly, last, now));
  EXPECT_FALSE(DueAt(kUpdateDaily, now, now)) << "the same second is not the future";
}

TEST_F(UpdateScheduleTest, MonthlyIsDueWhenTheClockCannotConvert) {
  const std::int64_t last = 1700000000;
  clock_.conversionsFail = true;
  EXPECT_TRUE(DueAt(kUpdateMonthly, last, last + 1));
  EXPECT_FALSE(DueAt(kUpdateDaily, last, last + 1)) << "daily needs no calendar";
}

TEST_F(UpdateScheduleTest, TheStoredLowBitsCountAsUnsignedSeconds) {
  // 2040-01-01 is past 2^31 seconds: read as signed it would lie in 1903.
  const std::int64_t last = clock_.At({2040, 1, 1, 12, 0, 0});
  ASSERT_GT(last, INT32_MAX);
  EXPECT_FALSE(DueAt(kUpdateDaily, last, last + 3600));
  EXPECT_FALSE(DueAt(kUpdateMonthly, last, clock_.At({2040, 2, 1, 11, 59, 59})));
  EXPECT_TRUE(DueAt(kUpdateMonthly, last, clock_.At({2040, 2, 1, 12, 0, 0})));
}

}  // namespace
}  // namespace tessaly
