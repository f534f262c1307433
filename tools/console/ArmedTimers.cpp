#include "tools/console/ArmedTimers.h"

namespace tessaly {

// The lock is held while the timer is passed on, so the record and the real timers change
// in the same order whichever thread arms.
void ArmedTimers::Arm(int id, std::uint32_t delayMs) {
  const std::lock_guard lock(mutex_);
  armed_.insert(id);
  next_->Arm(id, delayMs);
}

void ArmedTimers::Cancel(int id) {
  const std::lock_guard lock(mutex_);
  armed_.erase(id);
  next_->Cancel(id);
}

bool ArmedTimers::AnyArmed() const {
  const std::lock_guard lock(mutex_);
  return !armed_.empty();
}

}  // namespace tessaly
