#pragma once

#include <atomic>

namespace tessaly {

// The main window's run-time state that the diagnosis reads and writes. Members written by
// worker threads are atomics; the others belong to the GUI thread.
struct DiagnosisState {
  // A sequence is running: from `check` (or the first step) to the end of the final step.
  bool checking = false;
  // The install worker is running; it sets and clears this itself.
  std::atomic<bool> installing{false};
  // 1 when the configuration came from the network; written by the configuration worker
  // and by PollConfigReady. Its only reader, the component report, first overwrites it.
  std::atomic<int> online{0};
  // Set by the page method `site`; the next clean verdict shows the completion notice.
  bool completionNotice = false;
  // Set by the page method `Checking`; makes `setusertype` start a check.
  bool checkAfterUserType = false;
  // Progress of the running download in percent and the install worker's status code.
  std::atomic<int> downloadPercent{0};
  std::atomic<int> installStatus{0};
  // While false, a repair ends without status 2999 and a verdict: the repair-all run sends
  // them once, after its last sub-repair.
  bool fixReport = true;

  // The configuration worker may still be writing the configuration. It starts true so
  // that nothing reads a configuration in the making before the shell has started the
  // worker; the worker stores false (release) as its last act, and the shell stores false
  // when it could not start the worker at all.
  std::atomic<bool> configWorkerRunning{true};
  // A service worker was started and its result has not been taken over yet; no second
  // one is started meanwhile.
  bool serviceWorkerPending = false;
};

}  // namespace tessaly
