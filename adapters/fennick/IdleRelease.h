#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tessaly::fennick {

// Serialises the calls on a resource and gives the resource back, on a thread of its own, once no
// call has come for a while: the release then runs outside whatever lock the callers held (the
// loader's, for a library's notifications) and never while a call is under way. A call after the
// release takes the resource up again itself.
class IdleRelease {
 public:
  IdleRelease(std::chrono::milliseconds idle, std::function<void()> release);
  // Stops the watching thread without releasing.
  ~IdleRelease();
  IdleRelease(const IdleRelease&) = delete;
  IdleRelease& operator=(const IdleRelease&) = delete;

  // Runs `call` under the lock and arms the release for `idle` after it returns.
  template <typename Call>
  auto Run(Call&& call) {
    std::lock_guard lock(mutex_);
    auto result = std::forward<Call>(call)();
    deadline_ = std::chrono::steady_clock::now() + idle_;
    armed_ = true;
    changed_.notify_one();
    return result;
  }

 private:
  void Watch();

  const std::chrono::milliseconds idle_;
  const std::function<void()> release_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::chrono::steady_clock::time_point deadline_{};
  bool armed_ = false;
  bool stopping_ = false;
  std::thread watcher_;  // last: started once everything it reads is in place
};

}  // namespace tessaly::fennick
