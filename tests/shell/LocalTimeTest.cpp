// The text of a local time, and the test clock's calendar that the schedule tests rely on.
#include <gtest/gtest.h>

#include "shell/LocalTimeText.h"
#include "tests/fakes/FakeClock.h"

namespace tessaly {
namespace {

TEST(LocalTimeTextTest, PadsEveryFieldToItsWidth) {
  EXPECT_EQ(FormatLocalDateTime({2018, 5, 4, 9, 3, 7}), u"2018-05-04 09:03:07");
  EXPECT_EQ(FormatLocalDateTime({2023, 12, 31, 23, 59, 59}), u"2023-12-31 23:59:59");
  EXPECT_EQ(FormatLocalDateTime({987, 1, 1, 0, 0, 0}), u"0987-01-01 00:00:00");
}

TEST(FakeClockTest, ConvertsKnownMomentsBothWays) {
  FakeClock clock;
  clock.utcOffsetSeconds = 8 * 3600;
  // 2018-05-04 01:03:07 UTC; 2000-02-29 16:00:00 UTC; 2038-01-19 03:14:08 UTC (2^31).
  const struct {
    std::int64_t seconds;
    LocalDateTime local;
  } cases[] = {{1525395787, {2018, 5, 4, 9, 3, 7}},
               {951840000, {2000, 3, 1, 0, 0, 0}},
               {2147483648, {2038, 1, 19, 11, 14, 8}},
               {0, {1970, 1, 1, 8, 0, 0}}};
  for (const auto& c : cases) {
    EXPECT_EQ(clock.ToLocal(c.seconds), c.local) << c.seconds;
    EXPECT_EQ(clock.FromLocal(c.local), c.seconds) << c.seconds;
  }
  clock.utcOffsetSeconds = -5 * 3600;
  EXPECT_EQ(clock.ToLocal(1525395787), (LocalDateTime{2018, 5, 3, 20, 3, 7}));
}

TEST(FakeClockTest, RefusesWhatTheRuntimeRefuses) {
  FakeClock clock;
  EXPECT_EQ(clock.ToLocal(-1), std::nullopt);
  EXPECT_EQ(clock.FromLocal({2023, 2, 29, 0, 0, 0}), std::nullopt);
  EXPECT_EQ(clock.FromLocal({2023, 4, 31, 0, 0, 0}), std::nullopt);
  EXPECT_EQ(clock.FromLocal({2023, 13, 1, 0, 0, 0}), std::nullopt);
  EXPECT_EQ(clock.FromLocal({2023, 1, 1, 24, 0, 0}), std::nullopt);
  EXPECT_EQ(clock.FromLocal({1969, 12, 31, 23, 59, 59}), std::nullopt);
  EXPECT_NE(clock.FromLocal({2024, 2, 29, 0, 0, 0}), std::nullopt);
}

}  // namespace
}  // namespace tessaly
