#include "diagnosis/DiagnosisSequence.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "diagnosis/DiagnosisTimers.h"
#include "diagnosis/PageCodes.h"
#include "tests/diagnosis/DiagnosisHarness.h"

namespace tessaly {
namespace {

using Calls = std::vector<PageCall>;

class DiagnosisSequenceTest : public testing::Test {
 protected:
  DiagnosisSequenceTest() {
    run_.MakeConfigReady();
    run_.SetUserType(3);
    run_.SetItems({"ActiveX", "ActiveX", "driver"});
    run_.detectedStates = {4, 0, 5};
  }

  // The page calls of `check` itself.
  static Calls CheckStart() {
    return {PageCall::SetState(0, 0, 0), PageCall::SetState(0, 4, kCheckTimeText), Status(1000)};
  }

  // The final step with the harness's items and key probe.
  static Calls FinalStep(std::int32_t verdict) {
    return {Status(1016),
            PageCall::SetState(2, 1, 4),
            PageCall::SetState(2, 2, 0),
            PageCall::SetState(2, 3, 5),
            PageCall::ClearState(804, 2),
            PageCall::SetState(0, 0, 100),
            Status(1999),
            Verdict(verdict)};
  }

  DiagnosisHarness run_;
};

TEST_F(DiagnosisSequenceTest, AFullRunReportsEveryStepOnceAndEndsWithTheVerdict) {
  run_.hosts.healthy = false;
  run_.dnsResolves = false;

  run_.sequence.check(0);
  run_.timers.RunUntilIdle();

  const Calls expected = Concat({
      CheckStart(),
      StepStart(9, 1002), {Item(2, true)},
      StepStart(18, 1003), {Item(3, false)},
      StepStart(27, 1004), {Item(4, true)},
      StepStart(36, 1005), {Item(5, true)},
      StepStart(45, 1006), {Item(6, false)},
      StepStart(54, 1007), {Item(7, true)},
      StepStart(63, 1013),
      StepStart(72, 1009), {Item(9, true)},
      StepStart(81, 1010), {Item(10, true)},
      StepStart(90, 1011), {Item(11, true)},
      StepStart(95, 1016),
      FinalStep(1 | 2),  // hosts and DNS failed; the driver (item 3) is not current
  });
  EXPECT_EQ(run_.page.Calls(), expected);
  EXPECT_EQ(run_.timers.Fired(), (std::vector<int>{8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 4}));
  EXPECT_EQ(run_.timers.NowMs(), 12u * 100u) << "each step 100 ms after the one before";
  EXPECT_TRUE(run_.timers.ArmedIds().empty()) << "every fired timer was cancelled";
  EXPECT_FALSE(run_.state.checking);
  EXPECT_EQ(run_.settings.ReadLastCheckTime(), kCheckTimeText);
  // The flags hold what the checks answered.
  EXPECT_FALSE(run_.config.hostsOk);
  EXPECT_FALSE(run_.config.dnsOk);
  EXPECT_TRUE(run_.config.registryOk && run_.config.rootCertOk && run_.config.networkOk &&
              run_.config.serviceOk && run_.config.homePageOk && run_.config.zoneLevelsOk &&
              run_.config.trustOk);
}

TEST_F(DiagnosisSequenceTest, TheChecksOnlyMeasureAndTheComponentsAreDetectedBeforeTheReports) {
  run_.sequence.check(0);
  run_.timers.RunUntilIdle();

  EXPECT_EQ(run_.log, (std::vector<std::string>{
                          "registry(measure)", "hosts(measure)", "rootCheck", "dns",
                          "startServiceWorker", "homePage(measure)", "zoneLevels(measure)",
                          "trustedSites(measure)", "detectItems", "detectComponents",
                          "reportItem(1)", "reportItem(2)", "reportItem(3)", "probeUsbKey"}));
}

TEST_F(DiagnosisSequenceTest, OfflineStepsElevenToThirteenFailWithoutWaiting) {
  run_.connected = false;
  run_.sequence.check(0);
  run_.timers.AdvanceBy(1000);  // up to step 17 (8 at 100 ms ... 17 at 1000 ms)

  const Calls expected = Concat({
      CheckStart(),
      StepStart(9, 1002), {Item(2, true)},
      StepStart(18, 1003), {Item(3, true)},
      StepStart(27, 1004), {Item(4, true)},
      StepStart(36, 1005), {Item(5, false)},
      StepStart(45, 1006), {Item(6, false)},
      StepStart(54, 1007), {Item(7, false)},
      StepStart(63, 1013),
      StepStart(72, 1009), {Item(9, true)},
      StepStart(81, 1010), {Item(10, true)},
      StepStart(90, 1011), {Item(11, true)},
  });
  EXPECT_EQ(run_.page.Calls(), expected);
  EXPECT_FALSE(run_.config.dnsOk);
  EXPECT_FALSE(run_.config.serviceOk);
  for (const std::string& entry : run_.log) {
    EXPECT_NE(entry, "dns") << "nothing is resolved offline";
    EXPECT_NE(entry, "startServiceWorker") << "no worker offline";
  }
}

TEST_F(DiagnosisSequenceTest, ASecondCheckDuringASequenceChangesNothing) {
  DiagnosisHarness plain;
  plain.MakeConfigReady();
  plain.SetUserType(3);
  plain.SetItems({"ActiveX", "ActiveX", "driver"});
  plain.detectedStates = {4, 0, 5};
  plain.sequence.check(0);
  plain.timers.RunUntilIdle();

  run_.sequence.check(0);
  run_.timers.AdvanceBy(250);  // steps 8 and 9 have run
  run_.clock.now += 60;
  run_.sequence.check(0);
  run_.timers.RunUntilIdle();

  EXPECT_EQ(run_.page.Calls(), plain.page.Calls());
  EXPECT_EQ(run_.settings.ReadLastCheckTime(), kCheckTimeText) << "the time of the first check";
}

TEST_F(DiagnosisSequenceTest, ACheckRunsAgainOnceTheSequenceHasEnded) {
  run_.sequence.check(0);
  run_.timers.RunUntilIdle();
  const Calls first = run_.page.Take();

  run_.sequence.check(0);
  run_.timers.RunUntilIdle();
  EXPECT_EQ(run_.page.Take(), first);

  run_.serviceReachable = false;
  run_.sequence.check(0);
  run_.timers.RunUntilIdle();
  const Calls third = run_.page.Calls();
  EXPECT_NE(std::find(third.begin(), third.end(), Item(7, false)), third.end())
      << "each sequence asks a worker of its own";
  EXPECT_EQ(std::count(run_.log.begin(), run_.log.end(), "startServiceWorker"), 3);
}

TEST_F(DiagnosisSequenceTest, NoCheckStartsWhileTheInstallWorkerRuns) {
  run_.state.installing = true;
  run_.sequence.check(0);

  EXPECT_TRUE(run_.page.Calls().empty());
  EXPECT_TRUE(run_.timers.ArmedIds().empty());
  EXPECT_FALSE(run_.state.checking);
  EXPECT_EQ(run_.settings.ReadLastCheckTime(), u"0000-00-00 00:00:00");
}

TEST_F(DiagnosisSequenceTest, StepThirteenWaitsForTheServiceWorker) {
  run_.serviceMode = ServiceWorkerMode::AnswersLater;
  run_.sequence.check(0);
  run_.timers.AdvanceBy(600);  // step 13 at 600 ms
  ASSERT_EQ(run_.timers.Fired().back(), 13);
  run_.page.Take();
  EXPECT_EQ(run_.timers.ArmedIds(), std::vector<int>{kTimerPollService});
  EXPECT_EQ(run_.timers.ArmedDelay(kTimerPollService), 500u);

  run_.timers.AdvanceBy(500);
  EXPECT_EQ(run_.timers.ArmedDelay(kTimerPollService), 300u) << "still pending: polls again";
  run_.timers.AdvanceBy(300 * 5);
  EXPECT_TRUE(run_.page.Calls().empty()) << "steps 14 to 18 wait for the worker";

  run_.FinishServiceWorker(false);
  run_.timers.AdvanceBy(300);
  EXPECT_EQ(run_.page.Take(), Calls{Item(7, false)});
  EXPECT_EQ(run_.timers.ArmedIds(), std::vector<int>{14});
  EXPECT_EQ(run_.timers.ArmedDelay(14), 100u);

  run_.timers.RunUntilIdle();
  EXPECT_EQ(run_.page.Calls().front(), PageCall::SetState(0, 0, 63));
  EXPECT_EQ(run_.page.Calls().back(), Verdict(1 | 2));
}

TEST_F(DiagnosisSequenceTest, AServiceWorkerThatCannotStartCountsAsUnreachable) {
  run_.serviceMode = ServiceWorkerMode::CannotStart;
  run_.sequence.check(0);
  run_.timers.AdvanceBy(600);

  EXPECT_EQ(run_.page.Calls().back(), Item(7, false));
  EXPECT_EQ(run_.timers.ArmedIds(), std::vector<int>{14});
  EXPECT_FALSE(run_.config.serviceOk);
}

TEST_F(DiagnosisSequenceTest, TheResultOfARealWorkerThreadIsTakenOverByThePoll) {
  run_.serviceMode = ServiceWorkerMode::RealThread;
  run_.sequence.check(0);
  // The fake clock does not wait for the thread: the poll simply repeats until it is done.
  run_.timers.RunUntilIdle(1'000'000);
  run_.JoinServiceWorker();

  const Calls& calls = run_.page.Calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), Item(7, true)), calls.end());
  EXPECT_EQ(calls.back(), Verdict(2));
  EXPECT_TRUE(run_.timers.ArmedIds().empty());
}

TEST_F(DiagnosisSequenceTest, AWorkerStillRunningIsNotJoinedByASecondOne) {
  run_.serviceMode = ServiceWorkerMode::AnswersLater;
  run_.sequence.check(0);
  run_.timers.AdvanceBy(600);
  // A second chain reaches step 13 while the first worker is out.
  run_.sequence.OnTimer(13);
  run_.FinishServiceWorker(true);
  run_.timers.RunUntilIdle();

  EXPECT_EQ(std::count(run_.log.begin(), run_.log.end(), "startServiceWorker"), 1);
  EXPECT_EQ(run_.page.Calls().back(), Verdict(2));
}

TEST_F(DiagnosisSequenceTest, TheUpdateThreadsStepEightMarksTheSequenceAsRunning) {
  run_.sequence.OnTimer(kTimerFirstStep);
  EXPECT_TRUE(run_.state.checking);
  run_.page.Take();

  run_.sequence.check(0);
  EXPECT_TRUE(run_.page.Calls().empty()) << "no second chain on the same timers";

  run_.timers.RunUntilIdle();
  EXPECT_FALSE(run_.state.checking);
}

TEST_F(DiagnosisSequenceTest, TheWorkerTimersReportProgressAndStatus) {
  run_.state.downloadPercent = 40;
  run_.sequence.OnTimer(kTimerDownloadProgress);
  EXPECT_EQ(run_.page.Take(), Calls{PageCall::SetState(0, 1, 40)});
  EXPECT_EQ(run_.timers.ArmedDelay(kTimerDownloadProgress), 500u) << "below 100: polls again";

  run_.state.downloadPercent = 100;
  run_.sequence.OnTimer(kTimerDownloadProgress);
  EXPECT_EQ(run_.page.Take(), Calls{PageCall::SetState(0, 1, 100)});
  EXPECT_FALSE(run_.timers.ArmedDelay(kTimerDownloadProgress)) << "done: polling ends";

  for (const int meaningless : {-1, 101}) {
    run_.state.downloadPercent = meaningless;
    run_.timers.Arm(kTimerDownloadProgress, 500);
    run_.sequence.OnTimer(kTimerDownloadProgress);
    EXPECT_TRUE(run_.page.Take().empty()) << meaningless;
    EXPECT_FALSE(run_.timers.ArmedDelay(kTimerDownloadProgress)) << meaningless;
  }

  run_.sequence.OnTimer(kTimerUpdateAccepted);
  run_.state.installStatus = 3;
  run_.sequence.OnTimer(kTimerInstallStatus);
  EXPECT_EQ(run_.page.Take(), (Calls{Status(5), Status(3)}));
}

TEST_F(DiagnosisSequenceTest, TimerIdsOutsideOneToEighteenDoNothing) {
  run_.timers.Arm(0, 100);
  run_.timers.Arm(19, 100);
  for (const int id : {-1, 0, 19, 1000}) {
    run_.sequence.OnTimer(id);
  }
  EXPECT_TRUE(run_.page.Calls().empty());
  EXPECT_TRUE(run_.log.empty());
  EXPECT_EQ(run_.timers.ArmedIds(), (std::vector<int>{0, 19})) << "not even cancelled";
}

TEST_F(DiagnosisSequenceTest, TheFinalStepAlsoRunsOutsideASequence) {
  run_.SetAllFlags(true);
  run_.sequence.OnTimer(kTimerFinalStep);  // as after an install

  EXPECT_EQ(run_.page.Calls(), FinalStep(2));
  EXPECT_FALSE(run_.state.checking);
}

}  // namespace
}  // namespace tessaly
