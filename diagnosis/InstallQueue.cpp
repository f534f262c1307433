#include "diagnosis/InstallQueue.h"

#include <utility>

namespace tessaly {

bool InstallQueue::Append(InstallJob job, bool mayStartWorker) {
  const std::lock_guard lock(mutex_);
  jobs_.push_back(std::move(job));
  if (!mayStartWorker || workerRunning_) {
    return false;
  }
  workerRunning_ = true;
  return true;
}

void InstallQueue::WorkerNotStarted() {
  const std::lock_guard lock(mutex_);
  workerRunning_ = false;
}

std::optional<InstallJob> InstallQueue::Front() const {
  const std::lock_guard lock(mutex_);
  if (jobs_.empty()) {
    return std::nullopt;
  }
  return jobs_.front();
}

bool InstallQueue::RemoveFront(bool stop) {
  const std::lock_guard lock(mutex_);
  if (stop) {
    jobs_.clear();
  } else if (!jobs_.empty()) {
    jobs_.pop_front();
  }
  workerRunning_ = !jobs_.empty();
  return workerRunning_;
}

void InstallQueue::Close() {
  const std::lock_guard lock(mutex_);
  jobs_.clear();
}

bool InstallQueue::WorkerRunning() const {
  const std::lock_guard lock(mutex_);
  return workerRunning_;
}

bool InstallQueue::Empty() const {
  const std::lock_guard lock(mutex_);
  return jobs_.empty();
}

}  // namespace tessaly
