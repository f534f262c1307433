#pragma once

#include <atomic>
#include <cstdint>

namespace tessaly {

// Widens a 32-bit millisecond counter that wraps every 2^32 ms (49.7 days), such as
// Windows XP's GetTickCount, into a 64-bit count that never wraps and never goes back.
//
// Every call reads the source once more and adds the time elapsed since the last count
// any thread produced, so the widened count stays right as long as no gap between two
// calls reaches 2^32 ms. The first call starts at the source's own reading. Lock-free:
// the last count lives in one atomic word, and the source is read only after that word
// was loaded, so a reading is never older than the count it is compared with.
class WideTickCounter {
 public:
  using TickSource = std::uint32_t (*)();

  constexpr explicit WideTickCounter(TickSource source) noexcept : source_(source) {}

  std::uint64_t Now() noexcept {
    std::uint64_t last = last_.load(std::memory_order_acquire);
    for (;;) {
      const std::uint32_t tick = source_();
      // Unsigned 32-bit subtraction: the elapsed time, also across a wrap of the source.
      const std::uint32_t elapsed = tick - static_cast<std::uint32_t>(last);
      if (elapsed == 0) {
        return last;
      }
      const std::uint64_t now = last + elapsed;
      if (last_.compare_exchange_weak(last, now, std::memory_order_acq_rel,
                                      std::memory_order_acquire)) {
        return now;
      }
      // Another thread counted further meanwhile (`last` holds its count): read again.
    }
  }

 private:
  TickSource source_;
  std::atomic<std::uint64_t> last_{0};
};

}  // namespace tessaly
