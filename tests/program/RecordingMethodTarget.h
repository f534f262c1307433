#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "shell/ExternalMethodTable.h"

namespace tessaly {

struct RecordedCall {
  std::u16string name;
  std::vector<MethodArgument> arguments;
  bool operator==(const RecordedCall&) const = default;
};

// Stands in for the program core behind the page's `external` object: records each call
// with the arguments as the table received them, and answers a getter with its id × 100.
class RecordingTarget final : public ExternalMethodTarget {
 public:
  bool Call(const ExternalMethod& method, std::span<const MethodArgument> arguments,
            std::int32_t* result) override {
    calls.push_back({std::u16string(method.name), {arguments.begin(), arguments.end()}});
    if (result != nullptr) {
      *result = method.id * 100;
    }
    return true;
  }
  std::vector<RecordedCall> calls;
};

}  // namespace tessaly
