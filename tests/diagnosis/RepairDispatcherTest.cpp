#include <gtest/gtest.h>

#include "diagnosis/ItemState.h"
#include "resources/StringTable.h"
#include "tests/diagnosis/DiagnosisHarness.h"

namespace tessaly {
namespace {

using Calls = std::vector<PageCall>;
using Log = std::vector<std::string>;

class RepairDispatcherTest : public testing::Test {
 protected:
  RepairDispatcherTest() {
    run_.MakeConfigReady();
    run_.SetUserType(3);
    run_.SetAllFlags(true);
    run_.config.networkOk = true;
  }

  DiagnosisHarness run_;
};

TEST_F(RepairDispatcherTest, RepairAllMendsTheFailingChecksInItsOrderAndReportsOnce) {
  // What the last diagnosis found: every repairable check failed; the trusted sites
  // cannot be mended.
  run_.hosts.healthy = run_.homePage.healthy = run_.zoneLevels.healthy = false;
  run_.registry.healthy = false;
  run_.trustedSites = {false, false};
  run_.rootInstalled = false;
  run_.config.hostsOk = run_.config.rootCertOk = run_.config.homePageOk = false;
  run_.config.zoneLevelsOk = run_.config.registryOk = run_.config.trustOk = false;
  run_.SetItems({"ActiveX", "ActiveX"});
  run_.config.items[1].state = kItemDisabledInBrowser;

  run_.sequence.fix(0);

  const Calls expected = {
      Status(2003), Item(3, true), Item(6, true),
      Status(2004), Item(4, true),
      Status(2009), Item(9, true),
      Status(2010), Status(2002), Item(2, true), Item(10, true),
      Status(2011), Item(11, false),
      PageCall::SetState(2, 2, 0),
      Status(2999), Verdict(1),
  };
  EXPECT_EQ(run_.page.Calls(), expected);
  // The registry was mended inside the zone repair, so it is not repaired a second time.
  EXPECT_EQ(run_.log, (Log{"hosts(repair)", "hosts(measure)", "dns",
                           "rootCheck", "rootInstall", "rootCheck",
                           "homePage(repair)", "homePage(measure)",
                           "zoneLevels(repair)", "registry(repair)", "registry(measure)",
                           "zoneLevels(measure)", "trustedSites(repair)", "trustedSites(measure)",
                           "install(2)", "sslCacheClear"}));
  EXPECT_TRUE(run_.prompts.Calls().empty()) << "the SSL clear of the run shows no message";
  EXPECT_TRUE(run_.state.fixReport);
}

TEST_F(RepairDispatcherTest, RepairAllWithNothingFailingStillReenablesClearsAndReports) {
  run_.sequence.fix(0);

  EXPECT_EQ(run_.page.Calls(), (Calls{Status(2999), Verdict(0)}));
  EXPECT_EQ(run_.log, (Log{"sslCacheClear"}));
}

TEST_F(RepairDispatcherTest, NumbersWithoutARepairOnlyEndLikeARepair) {
  for (const int item : {1, 5, 6, 7, 8, 13, 14, 16, 1000, -1}) {
    run_.sequence.fix(item);
    EXPECT_EQ(run_.page.Take(), (Calls{Status(2999), Verdict(0)})) << item;
  }
  EXPECT_TRUE(run_.log.empty());
}

TEST_F(RepairDispatcherTest, TheZoneRepairReportsItsInnerRegistryRepairToo) {
  run_.sequence.fix(10);

  EXPECT_EQ(run_.page.Calls(), (Calls{Status(2010), Status(2002), Item(2, true), Status(2999),
                                      Verdict(0), Item(10, true), Status(2999), Verdict(0)}));
}

TEST_F(RepairDispatcherTest, EachCheckIsRepairedThenMeasuredAndReported) {
  struct Case {
    std::int32_t item;
    ScriptedCheck DiagnosisHarness::*check;
    bool CheckConfig::*flag;
    const char* name;
  };
  const Case cases[] = {
      {2, &DiagnosisHarness::registry, &CheckConfig::registryOk, "registry"},
      {9, &DiagnosisHarness::homePage, &CheckConfig::homePageOk, "homePage"},
      {11, &DiagnosisHarness::trustedSites, &CheckConfig::trustOk, "trustedSites"},
  };
  for (const Case& repair : cases) {
    for (const bool mends : {true, false}) {
      DiagnosisHarness run;
      run.MakeConfigReady();
      run.SetAllFlags(true);
      run.*repair.check = {false, mends};
      run.config.*repair.flag = false;

      run.sequence.fix(repair.item);

      EXPECT_EQ(run.page.Calls(), (Calls{Status(2000 + repair.item), Item(repair.item, mends),
                                         Status(2999), Verdict(mends ? 0 : 1)}))
          << repair.name << " mends " << mends;
      EXPECT_EQ(run.log, (Log{std::string(repair.name) + "(repair)",
                              std::string(repair.name) + "(measure)"}));
    }
  }
}

TEST_F(RepairDispatcherTest, TheHostsRepairMeasuresNameResolutionAgainOnlyWhenOnline) {
  run_.config.dnsOk = false;
  run_.sequence.fix(3);
  EXPECT_EQ(run_.page.Take(),
            (Calls{Status(2003), Item(3, true), Item(6, true), Status(2999), Verdict(0)}));
  EXPECT_TRUE(run_.config.dnsOk);

  run_.config.networkOk = false;
  run_.log.clear();
  run_.sequence.fix(3);
  EXPECT_EQ(run_.page.Take(),
            (Calls{Status(2003), Item(3, true), Item(6, false), Status(2999), Verdict(1)}));
  EXPECT_EQ(run_.log, (Log{"hosts(repair)", "hosts(measure)"}));
}

TEST_F(RepairDispatcherTest, TheRootCertificatesAreInstalledOnlyWhenMissingAndThenMeasured) {
  run_.sequence.fix(4);
  EXPECT_EQ(run_.log, (Log{"rootCheck", "rootCheck"})) << "installed: nothing to install";
  EXPECT_EQ(run_.page.Take(), (Calls{Status(2004), Item(4, true), Status(2999), Verdict(0)}));

  run_.log.clear();
  run_.rootInstalled = false;
  run_.rootInstallWorks = false;
  run_.sequence.fix(4);
  EXPECT_EQ(run_.log, (Log{"rootCheck", "rootInstall", "rootCheck"}));
  EXPECT_EQ(run_.page.Take(), (Calls{Status(2004), Item(4, false), Status(2999), Verdict(1)}));
  EXPECT_FALSE(run_.config.rootCertOk);
}

TEST_F(RepairDispatcherTest, TheSslCacheMessageShowsOnlyWhenTheCacheWasCleared) {
  run_.sequence.fix(12);
  EXPECT_EQ(run_.prompts.Calls(), std::vector<PromptCall>{PromptCall::Info(kStringSslCacheCleared)});
  EXPECT_EQ(run_.page.Take(), (Calls{Status(2012), Status(2999), Verdict(0)}));

  run_.sslCacheClears = false;
  run_.sequence.fix(12);
  EXPECT_EQ(run_.prompts.Calls().size(), 1u) << "no message for a cache that was not cleared";
  EXPECT_EQ(run_.page.Take(), (Calls{Status(2012), Status(2999), Verdict(0)}));
}

TEST_F(RepairDispatcherTest, DisabledControlsAreReenabledAndTheFirstOfThemReportedAgain) {
  run_.SetItems({"ActiveX", "ActiveX", "ActiveX", "UkeyActiveX"});
  run_.config.items[0].state = kItemDisabledInBrowser | 4;  // optional: left alone
  run_.config.items[1].state = kItemDisabledInBrowser | kItemNoKeyAttached | 5;
  run_.config.items[2].state = 0;
  run_.config.items[3].state = kItemDisabledInBrowser;

  run_.sequence.fix(15);

  EXPECT_EQ(run_.log, (Log{"install(2)", "install(4)"}));
  EXPECT_EQ(run_.page.Calls(),
            (Calls{PageCall::SetState(2, 2, StateForPage(kItemNoKeyAttached | 5)), Status(2999),
                   Verdict(2)}));
  EXPECT_EQ(run_.config.items[0].state, kItemDisabledInBrowser | 4);
  EXPECT_EQ(run_.config.items[1].state, kItemNoKeyAttached | 5);
  EXPECT_EQ(run_.config.items[3].state, kItemDisabledInBrowser) << "only the first is cleared";
}

TEST_F(RepairDispatcherTest, RepairsDoNotWaitForARunningSequenceOrInstall) {
  run_.state.checking = true;
  run_.state.installing = true;
  run_.sequence.fix(7);
  EXPECT_EQ(run_.page.Calls(), (Calls{Status(2999), Verdict(0)}));
}

}  // namespace
}  // namespace tessaly
