#pragma once

#include <cstdint>

namespace tessaly {

// The main window's timers. The diagnosis logic numbers them 1 to 18
// (diagnosis/DiagnosisTimers.h); whoever delivers them calls DiagnosisSequence::OnTimer with
// the id on the GUI thread.
//
// For the logic every timer is one-shot: its handler cancels it as its first act. An
// implementation may therefore deliver an armed timer repeatedly until it is cancelled, as
// window timers do. Arm and Cancel may be called from worker threads; delivery is always
// on the GUI thread.
class TimerService {
 public:
  virtual ~TimerService() = default;
  // Arms timer `id` to fire after `delayMs` milliseconds; an armed id is re-armed with the
  // new delay (the earlier arming is dropped).
  virtual void Arm(int id, std::uint32_t delayMs) = 0;
  // Disarms timer `id`; an id that is not armed is no error.
  virtual void Cancel(int id) = 0;
};

}  // namespace tessaly
