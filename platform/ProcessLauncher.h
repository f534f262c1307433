#pragma once

#include <cstddef>
#include <string_view>

namespace tessaly {

// The longest command line Windows accepts for a new process: 32,767 UTF-16 code units
// with the terminating zero.
inline constexpr std::size_t kMaxCommandLineLength = 32766;

// Starts programs from a command line, the way a user would type it.
class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // Runs the whole command line (the program and its arguments, no inherited handles,
  // default environment and folder). With `wait` it returns only after the process has
  // ended, however long that takes. True when the process started. An empty line, one
  // longer than kMaxCommandLineLength, or one holding a zero (where the system would cut
  // it) starts nothing.
  virtual bool RunCommand(std::u16string_view commandLine, bool wait) = 0;
};

}  // namespace tessaly
