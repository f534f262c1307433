#pragma once

#include <cstdint>
#include <mutex>
#include <set>

#include "platform/TimerService.h"

namespace tessaly {

// Hands every arming on to `next` and remembers which timers are armed, so that the console
// can tell when the program has nothing left to do: no step, final step, progress or status
// timer waiting (the install worker arms them from its thread too).
class ArmedTimers final : public TimerService {
 public:
  explicit ArmedTimers(TimerService& next) : next_(&next) {}

  void Arm(int id, std::uint32_t delayMs) override;
  void Cancel(int id) override;

  bool AnyArmed() const;

 private:
  TimerService* next_;
  mutable std::mutex mutex_;
  std::set<int> armed_;
};

}  // namespace tessaly
