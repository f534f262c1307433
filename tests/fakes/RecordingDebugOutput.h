#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/DebugOutput.h"

namespace tessaly {

// Keeps every trace line.
class RecordingDebugOutput final : public DebugOutput {
 public:
  mutable std::vector<std::string> lines;
  void Write(std::string_view line) const override { lines.emplace_back(line); }
};

}  // namespace tessaly
