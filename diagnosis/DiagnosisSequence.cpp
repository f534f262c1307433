#include "diagnosis/DiagnosisSequence.h"

#include <string>

#include "diagnosis/DiagnosisTimers.h"
#include "diagnosis/PageCodes.h"

namespace tessaly {
namespace {

// The timers whose handlers walk the configuration: the steps and the final step.
bool ReadsConfiguration(int id) { return id == kTimerFinalStep || id >= kTimerFirstStep; }

}  // namespace

DiagnosisSequence::DiagnosisSequence(const DiagnosisServices& services)
    : services_(services), steps_(services), repairs_(services) {}

void DiagnosisSequence::OnPageLoaded(std::u16string_view osName,
                                     std::u16string_view browserVersion) {
  PageSink& page = services_.page;
  page.setState(kCategoryCheckItem, kOsNameItem, std::u16string(osName));
  page.setState(kCategoryCheckItem, kBrowserVersionItem, std::u16string(browserVersion));
  services_.config.networkOk = services_.operations.isConnected();
  ReportCheckItem(page, kNetworkItem, services_.config.networkOk);
  if (PollConfigReady() == PollResult::Pending) {
    services_.timers.Arm(kTimerPollConfig, kFirstConfigPollDelayMs);
  }
}

PollResult DiagnosisSequence::PollConfigReady() {
  if (!services_.config.configReady.load(std::memory_order_acquire)) {
    return PollResult::Pending;
  }
  DiagnosisState& state = services_.state;
  state.online.store(1);
  state.installing.store(false);
  state.checking = false;
  if (services_.operations.isUpdateDue()) {
    services_.operations.startUpdateThread();  // it arms timer 2, 5 or 8 when done
    return PollResult::Done;
  }
  if (services_.settings.ReadDword(kUserType) != 0) {
    services_.timers.Arm(kTimerStartCheck, kStepDelayMs);
  }
  return PollResult::Done;
}

void DiagnosisSequence::check(std::int32_t /*ignored*/) {
  DiagnosisState& state = services_.state;
  if (!IsConfigurationSettled(services_) || state.checking || state.installing.load()) {
    return;
  }
  Settings& settings = services_.settings;
  settings.WriteLastCheckTime();
  state.checking = true;
  PageSink& page = services_.page;
  SendProgress(page, kProgressStart);
  // Read back rather than formatted here: the page shows what is stored.
  page.setState(kCategoryProgress, kLastCheckTimeItem, settings.ReadLastCheckTime());
  SendStatus(page, kStatusCheckStarted);
  services_.timers.Arm(kTimerFirstStep, kStepDelayMs);
}

void DiagnosisSequence::fix(std::int32_t item) { repairs_.fix(item); }

void DiagnosisSequence::OnTimer(int id) {
  if (id < kFirstTimerId || id > kLastTimerId) {
    return;
  }
  TimerService& timers = services_.timers;
  timers.Cancel(id);
  if (ReadsConfiguration(id) && !IsConfigurationSettled(services_)) {
    return;
  }
  switch (id) {
    case kTimerPollConfig:
      if (PollConfigReady() == PollResult::Pending) {
        timers.Arm(kTimerPollConfig, kConfigPollDelayMs);
      }
      break;
    case kTimerStartCheck:
      check(0);
      break;
    case kTimerDownloadProgress:
      ShowDownloadProgress();
      break;
    case kTimerFinalStep:
      steps_.FinalStep();
      break;
    case kTimerUpdateAccepted:
      SendStatus(services_.page, kStatusUpdating);
      break;
    case kTimerInstallStatus:
      SendStatus(services_.page, services_.state.installStatus.load());
      break;
    case kTimerPollService:
      if (steps_.PollServiceCheck() == PollResult::Pending) {
        timers.Arm(kTimerPollService, kServicePollDelayMs);
      }
      break;
    default:
      steps_.RunStep(id);
      break;
  }
}

void DiagnosisSequence::ShowDownloadProgress() {
  const int percent = services_.state.downloadPercent.load();
  // Compared unsigned: a value the worker never meant (negative or past 100) ends the
  // polling without reaching the page.
  if (static_cast<unsigned>(percent) > static_cast<unsigned>(kProgressDone)) {
    return;
  }
  services_.page.setState(kCategoryProgress, kDownloadProgressItem, percent);
  if (percent < kProgressDone) {
    services_.timers.Arm(kTimerDownloadProgress, kDownloadProgressDelayMs);
  }
}

}  // namespace tessaly
