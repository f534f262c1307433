#pragma once

#include <chrono>
#include <thread>

namespace tessaly {

// Waits until `condition` holds, which another thread or process brings about, for at most
// `limit`; answers whether it came to hold.
template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

}  // namespace tessaly
