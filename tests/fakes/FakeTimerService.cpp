#include "tests/fakes/FakeTimerService.h"

#include <limits>
#include <utility>

namespace tessaly {

void FakeTimerService::SetHandler(Handler handler) {
  const std::lock_guard lock(mutex_);
  handler_ = std::move(handler);
}

void FakeTimerService::Arm(int id, std::uint32_t delayMs) {
  const std::lock_guard lock(mutex_);
  armed_[id] = {delayMs, nowMs_ + delayMs, nextOrder_++};
}

void FakeTimerService::Cancel(int id) {
  const std::lock_guard lock(mutex_);
  armed_.erase(id);
}

std::optional<std::uint32_t> FakeTimerService::ArmedDelay(int id) const {
  const std::lock_guard lock(mutex_);
  const auto found = armed_.find(id);
  if (found == armed_.end()) {
    return std::nullopt;
  }
  return found->second.delayMs;
}

std::vector<int> FakeTimerService::ArmedIds() const {
  const std::lock_guard lock(mutex_);
  std::vector<int> ids;
  for (const auto& [id, armed] : armed_) {
    ids.push_back(id);
  }
  return ids;
}

std::uint64_t FakeTimerService::NowMs() const {
  const std::lock_guard lock(mutex_);
  return nowMs_;
}

std::vector<int> FakeTimerService::Fired() const {
  const std::lock_guard lock(mutex_);
  return fired_;
}

std::optional<int> FakeTimerService::NextDue(std::uint64_t limitMs) const {
  std::optional<int> next;
  for (const auto& [id, armed] : armed_) {
    if (armed.dueMs > limitMs) {
      continue;
    }
    if (!next) {
      next = id;
      continue;
    }
    const Armed& best = armed_.at(*next);
    if (armed.dueMs < best.dueMs || (armed.dueMs == best.dueMs && armed.order < best.order)) {
      next = id;
    }
  }
  return next;
}

bool FakeTimerService::FireDue(std::uint64_t limitMs) {
  Handler handler;
  int id = 0;
  {
    const std::lock_guard lock(mutex_);
    const std::optional<int> next = NextDue(limitMs);
    if (!next) {
      return false;
    }
    id = *next;
    Armed& armed = armed_.at(id);
    nowMs_ = armed.dueMs;
    // Still armed, as a window timer is, until the handler cancels it.
    armed = {armed.delayMs, nowMs_ + armed.delayMs, nextOrder_++};
    fired_.push_back(id);
    handler = handler_;
  }
  if (handler) {
    handler(id);
  }
  return true;
}

bool FakeTimerService::FireNext() { return FireDue(std::numeric_limits<std::uint64_t>::max()); }

std::size_t FakeTimerService::AdvanceBy(std::uint64_t ms, std::size_t maxFirings) {
  const std::uint64_t limit = NowMs() + ms;
  std::size_t count = 0;
  while (count < maxFirings && FireDue(limit)) {
    ++count;
  }
  const std::lock_guard lock(mutex_);
  nowMs_ = limit;
  return count;
}

std::size_t FakeTimerService::RunUntilIdle(std::size_t maxFirings) {
  std::size_t count = 0;
  while (count < maxFirings && FireNext()) {
    ++count;
  }
  return count;
}

}  // namespace tessaly
