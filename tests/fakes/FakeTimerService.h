#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/TimerService.h"

namespace tessaly {

// Timers on a fake clock counted in milliseconds from 0. The earliest due timer fires
// first; timers due at the same moment fire in the order they were armed. Like a window
// timer, one that has fired stays armed and fires again after its delay until it is
// cancelled, so a handler that forgets to cancel shows up as a repeat.
//
// Arm and Cancel may come from other threads (as from the workers); the handler runs on
// the thread that advances the clock, without the fake's lock held.
class FakeTimerService final : public TimerService {
 public:
  using Handler = std::function<void(int id)>;

  void SetHandler(Handler handler);

  void Arm(int id, std::uint32_t delayMs) override;
  void Cancel(int id) override;

  // The delay timer `id` was last armed with, or nothing when it is not armed.
  std::optional<std::uint32_t> ArmedDelay(int id) const;
  std::vector<int> ArmedIds() const;
  std::uint64_t NowMs() const;
  // Every id fired so far, in order.
  std::vector<int> Fired() const;

  // Fires the earliest timer, moving the clock to its due time; false when none is armed.
  bool FireNext();
  // Fires every timer that falls due within the next `ms` (at most `maxFirings`, so that a
  // timer that is never cancelled cannot hang a test), then leaves the clock `ms` on.
  std::size_t AdvanceBy(std::uint64_t ms, std::size_t maxFirings = 10000);
  // Fires timers until none is armed or `maxFirings` have fired; answers the count fired.
  std::size_t RunUntilIdle(std::size_t maxFirings = 10000);

 private:
  struct Armed {
    std::uint32_t delayMs = 0;
    std::uint64_t dueMs = 0;
    std::uint64_t order = 0;  // arming order, for ties
  };

  // The id of the timer to fire next if it is due by `limitMs`.
  std::optional<int> NextDue(std::uint64_t limitMs) const;
  bool FireDue(std::uint64_t limitMs);

  mutable std::mutex mutex_;
  Handler handler_;
  std::map<int, Armed> armed_;
  std::uint64_t nowMs_ = 0;
  std::uint64_t nextOrder_ = 0;
  std::vector<int> fired_;
};

}  // namespace tessaly
