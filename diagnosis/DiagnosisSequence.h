#pragma once

#include <cstdint>
#include <string_view>

#include "diagnosis/DiagnosisServices.h"
#include "diagnosis/DiagnosisSteps.h"
#include "diagnosis/PollResult.h"
#include "diagnosis/RepairDispatcher.h"

namespace tessaly {

// The diagnosis as the main window drives it: the hand-over once the page has loaded, the
// page methods `check` and `fix`, and the timers 1 to 18. Everything runs on the GUI
// thread; workers reach it only through the atomics of DiagnosisState and CheckConfig and
// through timers they arm.
class DiagnosisSequence {
 public:
  explicit DiagnosisSequence(const DiagnosisServices& services);

  // The page has loaded: shows the OS name (item 1), the browser version (item 8) and the
  // connection (item 5), then waits for the configuration (timer 1).
  void OnPageLoaded(std::u16string_view osName, std::u16string_view browserVersion);
  // Once the configuration is ready, runs a due self-update, or else starts the first
  // diagnosis for a user who has chosen a key type.
  PollResult PollConfigReady();

  // Starts a sequence unless one runs or an install does. The argument is ignored.
  void check(std::int32_t ignored);
  // Repairs check item `item` (0: every failing one) and reports it again.
  void fix(std::int32_t item);

  // A timer has fired; ids outside 1 to 18 are ignored.
  void OnTimer(int id);

 private:
  void ShowDownloadProgress();

  DiagnosisServices services_;
  DiagnosisSteps steps_;
  RepairDispatcher repairs_;
};

}  // namespace tessaly
