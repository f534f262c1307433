#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "diagnosis/ZoneLevelsCheck.h"
#include "tests/fakes/FakeUrlZones.h"

namespace tessaly {
namespace {

using testing::ElementsAre;

// The platform's security templates.
constexpr std::uint32_t kMedium = 0x11000;
constexpr std::uint32_t kMediumHigh = 0x11500;
constexpr std::uint32_t kHigh = 0x12000;
constexpr std::uint32_t kLow = 0x10000;

class ZoneLevelsCheckTest : public testing::Test {
 protected:
  void SetUp() override {
    state.zones[kInternetZone] = {
        .currentLevel = kMediumHigh, .recommendedLevel = kMediumHigh, .flags = 0x21};
    state.zones[kTrustedSitesZone] = {
        .currentLevel = kMedium, .recommendedLevel = kMedium, .flags = 0x47};
    state.zones[kRestrictedSitesZone] = {
        .currentLevel = kHigh, .recommendedLevel = kHigh, .flags = 0x3};
  }

  bool Check(bool repair) {
    state.calls.clear();
    const bool ok = CheckZoneLevels(config, zones, repair);
    EXPECT_EQ(config.zoneLevelsOk, ok);
    return ok;
  }

  CheckConfig config;
  FakeUrlZones zones;
  FakeUrlZones::State& state = zones.state();
};

TEST_F(ZoneLevelsCheckTest, MeasuresTheZonesInTheirOrderWithoutWriting) {
  EXPECT_TRUE(Check(false));
  EXPECT_THAT(state.calls, ElementsAre("get 3", "get 2", "get 4"));
}

TEST_F(ZoneLevelsCheckTest, WithoutRepairTheFirstMismatchEndsTheCheck) {
  state.zones[kTrustedSitesZone].currentLevel = kLow;
  state.zones[kRestrictedSitesZone].currentLevel = kMedium;
  EXPECT_FALSE(Check(false));
  EXPECT_THAT(state.calls, ElementsAre("get 3", "get 2"));
}

TEST_F(ZoneLevelsCheckTest, AnUnreadableZoneIsPassedOver) {
  state.zones.erase(kInternetZone);
  EXPECT_TRUE(Check(false));
  state.zones[kRestrictedSitesZone].currentLevel = kMedium;
  EXPECT_FALSE(Check(false));
  EXPECT_THAT(state.calls, ElementsAre("get 3", "get 2", "get 4"));
}

TEST_F(ZoneLevelsCheckTest, RepairSetsEachDifferingZoneToItsRecommendedTemplate) {
  state.zones[kInternetZone].currentLevel = kLow;
  state.zones[kRestrictedSitesZone].currentLevel = kMedium;
  EXPECT_TRUE(Check(true));
  EXPECT_THAT(state.calls,
              ElementsAre("get 3", "set 3 level=0x11500 flags=0x21", "copy 0x11500 to 3", "get 2",
                          "get 4", "set 4 level=0x12000 flags=0x3", "copy 0x12000 to 4"));
  EXPECT_EQ(state.copiedTemplates,
            (std::map<std::uint32_t, std::uint32_t>{{3, kMediumHigh}, {4, kHigh}}));
  EXPECT_TRUE(Check(false));
}

TEST_F(ZoneLevelsCheckTest, ARefusedRepairStepFailsTheRepairButTheOtherZonesAreMended) {
  state.zones[kInternetZone].currentLevel = kLow;
  state.zones[kTrustedSitesZone].currentLevel = kLow;
  state.refuseCopyTemplate = true;
  EXPECT_FALSE(Check(true));
  EXPECT_EQ(state.zones[kTrustedSitesZone].currentLevel, kMedium);
  state.refuseCopyTemplate = false;
  state.refuseSetAttributes = true;
  state.zones[kInternetZone].currentLevel = kLow;
  EXPECT_FALSE(Check(true));
  EXPECT_THAT(state.calls, ElementsAre("get 3", "set 3 level=0x11500 flags=0x21",
                                       "copy 0x11500 to 3", "get 2", "get 4"));
}

TEST_F(ZoneLevelsCheckTest, FailsWhenTheZoneManagerCannotBeCreated) {
  state.zoneManagerMissing = true;
  config.zoneLevelsOk = true;
  EXPECT_FALSE(Check(false));
  EXPECT_FALSE(Check(true));
  EXPECT_TRUE(state.calls.empty());
}

}  // namespace
}  // namespace tessaly
