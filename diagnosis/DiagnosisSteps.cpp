#include "diagnosis/DiagnosisSteps.h"

#include <cstdint>
#include <iterator>

#include "diagnosis/CheckMeasurements.h"
#include "diagnosis/DiagnosisTimers.h"
#include "diagnosis/PageCodes.h"
#include "diagnosis/Verdict.h"

namespace tessaly {
namespace {

struct StepRow {
  int timerId = 0;
  std::int32_t progress = 0;
  std::int32_t status = 0;
};

// What the page sees at the start of each step.
constexpr StepRow kStepRows[] = {
    {8, 9, 1002},  {9, 18, 1003},  {10, 27, 1004}, {11, 36, 1005},
    {12, 45, 1006}, {13, 54, 1007}, {14, 63, 1013}, {15, 72, 1009},
    {16, 81, 1010}, {17, 90, 1011}, {18, 95, kStatusDriversAndKey},
};
static_assert(std::size(kStepRows) == kTimerLastStep - kTimerFirstStep + 1);

}  // namespace

void DiagnosisSteps::RunStep(int timerId) {
  if (timerId < kTimerFirstStep || timerId > kTimerLastStep) {
    return;
  }
  const StepRow& row = kStepRows[timerId - kTimerFirstStep];
  SendProgress(services_.page, row.progress);
  SendStatus(services_.page, row.status);
  switch (timerId) {
    case 8:
      // A sequence the update thread starts at this step skips `check`; marking it here
      // keeps a `check` meanwhile from running a second chain on the same timers.
      services_.state.checking = true;
      MeasureAndReport(services_, kRegistryCheck);
      break;
    case 9:
      MeasureAndReport(services_, kHostsCheck);
      break;
    case 10:
      MeasureRootCertificate(services_);
      ReportCheckItem(services_.page, kRootCertificateItem, services_.config.rootCertOk);
      break;
    case 11:
      MeasureNetwork();
      break;
    case 12:
      MeasureDns(services_);
      ReportCheckItem(services_.page, kDnsItem, services_.config.dnsOk);
      break;
    case 13:
      StartServiceCheck();
      return;  // PollServiceCheck arms step 14
    case 15:
      MeasureAndReport(services_, kHomePageCheck);
      break;
    case 16:
      MeasureAndReport(services_, kZoneLevelsCheck);
      break;
    case 17:
      MeasureAndReport(services_, kTrustedSitesCheck);
      break;
    default:
      break;  // 14 (proxy settings) and 18 only show their status
  }
  services_.timers.Arm(timerId == kTimerLastStep ? kTimerFinalStep : timerId + 1, kStepDelayMs);
}

void DiagnosisSteps::MeasureNetwork() {
  services_.config.networkOk = services_.operations.isConnected();
  ReportCheckItem(services_.page, kNetworkItem, services_.config.networkOk);
}

void DiagnosisSteps::StartServiceCheck() {
  CheckConfig& config = services_.config;
  if (!config.networkOk) {
    config.serviceOk.store(false, std::memory_order_relaxed);
    ReportCheckItem(services_.page, kServiceItem, false);
    services_.timers.Arm(kTimerAfterServiceStep, kStepDelayMs);
    return;
  }
  // A worker whose result has not been taken over yet (a second chain reached this step)
  // still owns the two flags: wait for it instead of racing a second one against it.
  if (!services_.state.serviceWorkerPending) {
    config.serviceDone.store(false, std::memory_order_relaxed);
    if (services_.operations.startServiceWorker()) {
      services_.state.serviceWorkerPending = true;
    } else {
      // A check that cannot run reports its item as abnormal; without this the poll
      // would wait forever for a worker that does not exist.
      config.serviceOk.store(false, std::memory_order_relaxed);
      config.serviceDone.store(true, std::memory_order_release);
    }
  }
  if (PollServiceCheck() == PollResult::Pending) {
    services_.timers.Arm(kTimerPollService, kFirstServicePollDelayMs);
  }
}

PollResult DiagnosisSteps::PollServiceCheck() {
  CheckConfig& config = services_.config;
  if (!config.serviceDone.load(std::memory_order_acquire)) {
    return PollResult::Pending;
  }
  ReportCheckItem(services_.page, kServiceItem, config.serviceOk.load(std::memory_order_relaxed));
  services_.timers.Arm(kTimerAfterServiceStep, kStepDelayMs);
  services_.state.serviceWorkerPending = false;
  return PollResult::Done;
}

void DiagnosisSteps::FinalStep() {
  CheckConfig& config = services_.config;
  const DiagnosisOperations& operations = services_.operations;
  SendStatus(services_.page, kStatusDriversAndKey);
  operations.detectItems(config.items);
  operations.detectItems(config.components);
  for (std::size_t number = 1; number <= config.items.size(); ++number) {
    operations.reportItem(static_cast<std::int32_t>(number));
  }
  operations.probeUsbKey();
  SendProgress(services_.page, kProgressDone);
  SendStatus(services_.page, kStatusCheckDone);
  services_.state.checking = false;
  ReportVerdict(services_);
}

}  // namespace tessaly
