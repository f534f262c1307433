#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagnosis/TrustedSitesCheck.h"
#include "tests/fakes/FakeCodePages.h"
#include "tests/fakes/FakeUrlZones.h"

namespace tessaly {
namespace {

using testing::ElementsAre;

// Trusted sites as the platform ships it: HTTPS required (0x4) among other flags.
constexpr std::uint32_t kTrustedFlags = 0x43;

class TrustedSitesCheckTest : public testing::Test {
 protected:
  void SetUp() override {
    state.zones[kTrustedSitesZone] = {.currentLevel = 0x10500,
                                      .recommendedLevel = 0x10500,
                                      .flags = kTrustedFlags | kZoneFlagRequireVerification};
  }

  bool Check(std::vector<std::string> urls, bool repair) {
    ConfigGroup group{.type = "trust"};
    for (std::string& url : urls) {
      group.entries.push_back(ConfigEntry{.text = std::move(url)});
    }
    config.groups = {std::move(group)};
    state.calls.clear();
    const bool ok = CheckTrustedSites(config, zones, codePages, repair);
    EXPECT_EQ(config.trustOk, ok);
    return ok;
  }

  CheckConfig config;
  FakeUrlZones zones;
  FakeUrlZones::State& state = zones.state();
  FakeCodePages codePages;
};

TEST_F(TrustedSitesCheckTest, PassesWithoutTheGroupEvenWithoutASecurityManager) {
  state.securityManagerMissing = true;
  EXPECT_TRUE(CheckTrustedSites(config, zones, codePages, false));
  EXPECT_TRUE(config.trustOk);
  EXPECT_FALSE(Check({"https://ebank.test"}, false));
  EXPECT_FALSE(Check({"https://ebank.test"}, true));
}

TEST_F(TrustedSitesCheckTest, SitesAlreadyTrustedPassWithoutAnyWrite) {
  state.sites[u"https://ebank.test"] = kTrustedSitesZone;
  state.sites[u"http://\u94F6\u884C.test"] = kTrustedSitesZone;
  EXPECT_TRUE(Check({"https://ebank.test", "http://\xE9\x93\xB6\xE8\xA1\x8C.test"}, true));
  EXPECT_THAT(state.calls, ElementsAre("map https://ebank.test", "map http://??.test"));
}

TEST_F(TrustedSitesCheckTest, WithoutRepairTheFirstSiteElsewhereFailsAndUnmappableMeansNoZone) {
  state.sites[u"https://a.test"] = kTrustedSitesZone;
  state.sites[u"https://b.test"] = 4;
  EXPECT_FALSE(Check({"https://a.test", "https://b.test", "https://c.test"}, false));
  EXPECT_THAT(state.calls, ElementsAre("map https://a.test", "map https://b.test"));

  state.sites[u"https://b.test"] = kTrustedSitesZone;
  state.unmappableUrls.insert(u"https://c.test");
  state.sites[u"https://c.test"] = kTrustedSitesZone;
  EXPECT_FALSE(Check({"https://a.test", "https://b.test", "https://c.test"}, false));
}

TEST_F(TrustedSitesCheckTest, RepairAddsAnHttpsSiteDirectly) {
  EXPECT_TRUE(Check({"https://ebank.test"}, true));
  EXPECT_THAT(state.calls, ElementsAre("map https://ebank.test", "add 2 https://ebank.test"));
  EXPECT_TRUE(Check({"https://ebank.test"}, false));
}

TEST_F(TrustedSitesCheckTest, APlainHttpSiteIsAddedWithVerificationSwitchedOffAroundIt) {
  EXPECT_TRUE(Check({"http://ebank.test"}, true));
  EXPECT_THAT(state.calls, ElementsAre("map http://ebank.test", "add 2 http://ebank.test", "get 2",
                                       "set 2 level=0x10500 flags=0x43", "add 2 http://ebank.test",
                                       "set 2 level=0x10500 flags=0x47"));
  EXPECT_EQ(state.zones[kTrustedSitesZone].flags, kTrustedFlags | kZoneFlagRequireVerification);
  EXPECT_TRUE(Check({"http://ebank.test"}, false));
}

TEST_F(TrustedSitesCheckTest, TheRepairAnswersPassEvenWhenAnAddFails) {
  state.failAddMapping = true;
  EXPECT_TRUE(Check({"https://a.test", "https://b.test"}, true));
  EXPECT_THAT(state.calls, ElementsAre("map https://a.test", "add 2 https://a.test",
                                       "map https://b.test", "add 2 https://b.test"));
  EXPECT_FALSE(Check({"https://a.test"}, false));
}

TEST(AddTrustedSiteTest, AnswersWhetherTheLastAttemptAddedTheSite) {
  FakeUrlZones zones;
  FakeUrlZones::State& state = zones.state();
  state.zones[kTrustedSitesZone] = {.flags = 0x47};

  state.failAddMapping = true;
  EXPECT_FALSE(AddTrustedSite(zones, u"http://a.test")) << "no retry for other errors";
  EXPECT_THAT(state.calls, ElementsAre("add 2 http://a.test"));
  state.failAddMapping = false;

  // Clearing the flag is refused: the site is not added and the zone stays as it was.
  state.calls.clear();
  state.refuseSetAttributes = true;
  EXPECT_FALSE(AddTrustedSite(zones, u"http://a.test"));
  EXPECT_THAT(state.calls, ElementsAre("add 2 http://a.test", "get 2", "set 2 level=0 flags=0x43"));
  EXPECT_EQ(state.zones[kTrustedSitesZone].flags, 0x47u);
  state.refuseSetAttributes = false;

  state.zoneManagerMissing = true;
  EXPECT_FALSE(AddTrustedSite(zones, u"http://a.test"));
  state.zoneManagerMissing = false;
  state.securityManagerMissing = true;
  EXPECT_FALSE(AddTrustedSite(zones, u"https://a.test"));
  state.securityManagerMissing = false;

  EXPECT_TRUE(AddTrustedSite(zones, u"http://a.test"));
  EXPECT_EQ(state.sites.at(u"http://a.test"), kTrustedSitesZone);
  EXPECT_EQ(state.zones[kTrustedSitesZone].flags, 0x47u);
}

}  // namespace
}  // namespace tessaly
