#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// The process environment for UTF-16 texts, as the running (32-bit) program sees it: on
// 64-bit Windows %ProgramFiles% names the 32-bit program folder.
class WideEnvironment {
 public:
  virtual ~WideEnvironment() = default;
  // Replaces every %NAME% reference that names a variable with its value; references to
  // unknown variables stay as written. The whole expansion, however long; nothing when the
  // platform fails.
  virtual std::optional<std::u16string> ExpandWide(std::u16string_view text) const = 0;
};

// The paths that ExpandEnvironment produces go to calls with buffers of 260 characters,
// the terminator included.
inline constexpr std::size_t kMaxExpandedChars = 259;

// `text` with its environment references expanded; empty when the expansion fails or would
// not fit kMaxExpandedChars (never a cut path, which could name a different file).
std::u16string ExpandEnvironment(const WideEnvironment& environment, std::u16string_view text);

}  // namespace tessaly
