#include "platform/portable/CLibraryRandom.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/fakes/FakeClock.h"

namespace tessaly {
namespace {

std::vector<int> FirstDraws(CLibraryRandom& random) {
  random.SeedWithCurrentTime();
  std::vector<int> draws;
  for (int i = 0; i < 8; ++i) {
    draws.push_back(random.Next());
  }
  return draws;
}

// The seed is the clock's second: within one second the sequence repeats, the next second
// gives another.
TEST(CLibraryRandom, SeedsFromTheClocksSecond) {
  FakeClock clock;
  clock.now = 1'700'000'000;
  CLibraryRandom random(clock);
  const std::vector<int> first = FirstDraws(random);
  EXPECT_EQ(FirstDraws(random), first);
  clock.now += 1;
  EXPECT_NE(FirstDraws(random), first);
}

}  // namespace
}  // namespace tessaly
