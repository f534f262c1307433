#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ProcessLauncher.h"

namespace tessaly {

// Records every command line with its wait flag. A line the system would refuse (empty,
// too long, or holding a zero) never starts; otherwise the outcome comes from a queue, and when the
// queue runs out every command starts.
class FakeProcessLauncher final : public ProcessLauncher {
 public:
  struct Launch {
    std::u16string commandLine{};
    bool wait = false;
    bool operator==(const Launch&) const = default;
  };

  void QueueOutcome(bool started);
  std::vector<Launch> Launches() const;

  bool RunCommand(std::u16string_view commandLine, bool wait) override;

 private:
  mutable std::mutex mutex_;
  std::deque<bool> outcomes_;
  std::vector<Launch> launches_;
};

}  // namespace tessaly
