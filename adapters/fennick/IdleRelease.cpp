#include "adapters/fennick/IdleRelease.h"

#include <utility>

namespace tessaly::fennick {

IdleRelease::IdleRelease(std::chrono::milliseconds idle, std::function<void()> release)
    : idle_(idle), release_(std::move(release)), watcher_([this] { Watch(); }) {}

IdleRelease::~IdleRelease() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_one();
  watcher_.join();
}

void IdleRelease::Watch() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (!armed_) {
      changed_.wait(lock);
    } else if (std::chrono::steady_clock::now() < deadline_) {
      // A call in between moves the deadline on; the loop then waits again.
      changed_.wait_until(lock, deadline_);
    } else {
      armed_ = false;
      release_();
    }
  }
}

}  // namespace tessaly::fennick
