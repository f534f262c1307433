#include <gtest/gtest.h>

#include "diagnosis/DiagnosisTimers.h"
#include "tests/diagnosis/DiagnosisHarness.h"

namespace tessaly {
namespace {

using Calls = std::vector<PageCall>;

constexpr char16_t kOsName[] = u"Windows 7 旗舰版 Service Pack 1";
constexpr char16_t kBrowser[] = u"Internet Explorer 11";

Calls PageLoadReports(bool online) {
  return {PageCall::SetState(1, 1, kOsName), PageCall::SetState(1, 8, kBrowser), Item(5, online)};
}

class StartupHandoverTest : public testing::Test {
 protected:
  StartupHandoverTest() { run_.SetUserType(3); }
  DiagnosisHarness run_;
};

TEST_F(StartupHandoverTest, ANotReadyConfigurationIsPolledUntilItArrivesThenTheCheckStarts) {
  run_.sequence.OnPageLoaded(kOsName, kBrowser);
  EXPECT_EQ(run_.page.Take(), PageLoadReports(true));
  EXPECT_EQ(run_.timers.ArmedIds(), std::vector<int>{kTimerPollConfig});
  EXPECT_EQ(run_.timers.ArmedDelay(kTimerPollConfig), 500u);

  run_.timers.AdvanceBy(500);
  EXPECT_EQ(run_.timers.ArmedDelay(kTimerPollConfig), 300u);
  run_.timers.AdvanceBy(300 * 10);
  EXPECT_EQ(run_.timers.ArmedDelay(kTimerPollConfig), 300u) << "polls for as long as it takes";
  EXPECT_TRUE(run_.page.Calls().empty());

  run_.state.installing = true;
  run_.MakeConfigReady();
  run_.timers.AdvanceBy(300);
  EXPECT_EQ(run_.state.online, 1);
  EXPECT_FALSE(run_.state.installing) << "the hand-over starts from a clean state";
  EXPECT_EQ(run_.timers.ArmedIds(), std::vector<int>{kTimerStartCheck});
  EXPECT_EQ(run_.timers.ArmedDelay(kTimerStartCheck), 100u);

  run_.timers.AdvanceBy(100);
  EXPECT_EQ(run_.page.Take(), (Calls{PageCall::SetState(0, 0, 0),
                                     PageCall::SetState(0, 4, kCheckTimeText), Status(1000)}));
  EXPECT_TRUE(run_.state.checking);
}

TEST_F(StartupHandoverTest, AReadyConfigurationIsTakenOverAtOnceAndTheConnectionShown) {
  run_.MakeConfigReady();
  run_.connected = false;
  run_.sequence.OnPageLoaded(kOsName, kBrowser);

  EXPECT_EQ(run_.page.Calls(), PageLoadReports(false));
  EXPECT_FALSE(run_.config.networkOk);
  EXPECT_EQ(run_.timers.ArmedIds(), std::vector<int>{kTimerStartCheck});
}

TEST_F(StartupHandoverTest, ADueUpdateRunsInsteadOfTheFirstCheck) {
  run_.MakeConfigReady();
  run_.updateDue = true;
  run_.sequence.OnPageLoaded(kOsName, kBrowser);

  EXPECT_EQ(run_.log, std::vector<std::string>{"startUpdateThread"});
  EXPECT_TRUE(run_.timers.ArmedIds().empty()) << "the update thread arms what follows";
}

TEST_F(StartupHandoverTest, AUserWhoHasNotChosenAKeyTypeGetsNoCheck) {
  run_.MakeConfigReady();
  run_.SetUserType(0);
  run_.sequence.OnPageLoaded(kOsName, kBrowser);

  EXPECT_TRUE(run_.timers.ArmedIds().empty());
  EXPECT_EQ(run_.page.Calls(), PageLoadReports(true));
}

TEST_F(StartupHandoverTest, TheUpdateThreadsTimersStartTheCheckOrTheSequence) {
  run_.MakeConfigReady();
  run_.timers.Arm(kTimerStartCheck, 100);  // no update was found
  run_.timers.AdvanceBy(100);
  EXPECT_TRUE(run_.state.checking);
  run_.timers.RunUntilIdle();
  const Calls viaCheck = run_.page.Take();

  run_.timers.Arm(kTimerFirstStep, 100);  // an optional update was declined
  run_.timers.RunUntilIdle();
  const Calls viaStepEight = run_.page.Take();

  ASSERT_GE(viaCheck.size(), 3u);
  EXPECT_EQ(Calls(viaCheck.begin() + 3, viaCheck.end()), viaStepEight)
      << "the same sequence without the preamble of check";
}

// Before the configuration is complete the page may already call `check` and `fix`; they
// are ignored while the configuration worker may still be writing the lists.
TEST_F(StartupHandoverTest, EarlyCallsAreIgnoredWhileTheConfigurationIsBeingWritten) {
  run_.SetItems({"ActiveX", "ActiveX"});
  run_.sequence.check(0);
  for (const int item : {0, 2, 7, 12, 15}) {
    run_.sequence.fix(item);
  }
  run_.timers.Arm(kTimerFinalStep, 0);
  run_.timers.Arm(kTimerFirstStep, 0);
  run_.timers.RunUntilIdle();

  EXPECT_TRUE(run_.page.Calls().empty());
  EXPECT_TRUE(run_.log.empty()) << "no check, repair or detection ran";
  EXPECT_TRUE(run_.prompts.Calls().empty());
  EXPECT_TRUE(run_.timers.ArmedIds().empty()) << "the ignored timers were still cancelled";
  EXPECT_FALSE(run_.state.checking);
  EXPECT_EQ(run_.settings.ReadLastCheckTime(), u"0000-00-00 00:00:00");
}

TEST_F(StartupHandoverTest, OnceTheWorkerHasEndedWithoutADocumentTheCheckStillWorks) {
  run_.state.configWorkerRunning.store(false);  // the document did not parse
  run_.sequence.OnPageLoaded(kOsName, kBrowser);
  run_.timers.AdvanceBy(500 + 300 * 3);
  EXPECT_EQ(run_.timers.ArmedIds(), std::vector<int>{kTimerPollConfig}) << "no automatic check";
  run_.page.Take();

  run_.sequence.check(0);
  EXPECT_EQ(run_.page.Take(), (Calls{PageCall::SetState(0, 0, 0),
                                     PageCall::SetState(0, 4, kCheckTimeText), Status(1000)}));
  run_.sequence.fix(7);
  EXPECT_EQ(run_.page.Take(), (Calls{Status(2999), Verdict(1)}));
  run_.SetAllFlags(true);  // every check passed on the empty groups
  run_.sequence.fix(7);
  EXPECT_EQ(run_.page.Take(), (Calls{Status(2999), Verdict(1)})) << "never met on nothing";
}

}  // namespace
}  // namespace tessaly
