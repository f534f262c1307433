#include "tests/fakes/FakeTimerService.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

// The sequence tests lean on this fake's ordering, so it is pinned down here.
TEST(FakeTimerServiceTest, TimersFireByDueTimeThenByArmingOrder) {
  FakeTimerService timers;
  std::vector<std::pair<int, std::uint64_t>> fired;
  timers.SetHandler([&](int id) {
    fired.emplace_back(id, timers.NowMs());
    timers.Cancel(id);
  });
  timers.Arm(5, 300);
  timers.Arm(3, 100);
  timers.Arm(9, 100);
  timers.Arm(1, 100);
  timers.Arm(2, 500);
  timers.Arm(2, 50);  // re-arming replaces

  EXPECT_EQ(timers.RunUntilIdle(), 5u);
  EXPECT_EQ(fired, (std::vector<std::pair<int, std::uint64_t>>{
                       {2, 50}, {3, 100}, {9, 100}, {1, 100}, {5, 300}}));
}

TEST(FakeTimerServiceTest, ATimerRepeatsUntilCancelledLikeAWindowTimer) {
  FakeTimerService timers;
  int firings = 0;
  timers.SetHandler([&](int id) {
    if (++firings == 3) {
      timers.Cancel(id);
    }
  });
  timers.Arm(7, 300);
  timers.Arm(8, 5000);
  timers.Cancel(8);

  EXPECT_EQ(timers.AdvanceBy(10'000), 3u);
  EXPECT_EQ(timers.Fired(), (std::vector<int>{7, 7, 7}));
  EXPECT_EQ(timers.NowMs(), 10'000u);
  EXPECT_TRUE(timers.ArmedIds().empty());
}

TEST(FakeTimerServiceTest, ATimerArmedByItsHandlerKeepsTheNewDelay) {
  FakeTimerService timers;
  timers.SetHandler([&](int id) {
    timers.Cancel(id);
    timers.Arm(id, 300);
  });
  timers.Arm(1, 500);
  EXPECT_EQ(timers.AdvanceBy(1100), 3u);  // at 500, 800 and 1100
  EXPECT_EQ(timers.ArmedDelay(1), 300u);
}

}  // namespace
}  // namespace tessaly
