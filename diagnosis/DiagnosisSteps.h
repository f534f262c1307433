#pragma once

#include "diagnosis/DiagnosisServices.h"
#include "diagnosis/PollResult.h"

namespace tessaly {

// The chain of diagnosis steps: steps 8 to 18, each run by the timer of its number, then
// the final step (timer 4). Each step reports its progress and status, runs its check
// without repair, reports the check item and arms the next step's timer; step 13 hands on
// through PollServiceCheck once the service worker has answered.
class DiagnosisSteps {
 public:
  explicit DiagnosisSteps(const DiagnosisServices& services) : services_(services) {}

  // Step `timerId`, 8 to 18; other ids do nothing.
  void RunStep(int timerId);
  // Takes over the service worker's result when it is done: reports item 7 and arms
  // step 14.
  PollResult PollServiceCheck();
  // Detects and reports the components, probes the USB key, ends the sequence and sends
  // the verdict.
  void FinalStep();

 private:
  void MeasureNetwork();
  void StartServiceCheck();

  DiagnosisServices services_;
};

}  // namespace tessaly
