#include "tests/fakes/FakeProcessLauncher.h"

namespace tessaly {

void FakeProcessLauncher::QueueOutcome(bool started) {
  const std::lock_guard lock(mutex_);
  outcomes_.push_back(started);
}

std::vector<FakeProcessLauncher::Launch> FakeProcessLauncher::Launches() const {
  const std::lock_guard lock(mutex_);
  return launches_;
}

bool FakeProcessLauncher::RunCommand(std::u16string_view commandLine, bool wait) {
  const std::lock_guard lock(mutex_);
  launches_.push_back({std::u16string(commandLine), wait});
  if (commandLine.empty() || commandLine.size() > kMaxCommandLineLength ||
      commandLine.find(u'\0') != std::u16string_view::npos) {
    return false;
  }
  if (outcomes_.empty()) {
    return true;
  }
  const bool started = outcomes_.front();
  outcomes_.pop_front();
  return started;
}

}  // namespace tessaly
