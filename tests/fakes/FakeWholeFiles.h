#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/WholeFiles.h"

namespace tessaly {

// Whole files in memory, failing the way a disk does. A replacement goes through a file
// beside the target, as the real one does, so a test sees that a failure half-way leaves
// neither a changed target nor anything beside it.
class FakeWholeFiles final : public WholeFiles {
 public:
  // Keyed by path; what is not here is missing.
  mutable std::map<std::u16string, std::string> files;
  // These exist but cannot be read (access denied, locked).
  std::set<std::u16string> unreadable;
  // The disk fills up after this many bytes of a replacement have been written.
  std::optional<std::size_t> writeBreaksAfterBytes;
  // The final step, putting the new file in the old one's place, fails.
  bool finalReplaceFails = false;

  mutable int replaceCalls = 0;
  mutable std::optional<std::size_t> lastReadLimit;

  WholeFileContent Read(const std::u16string& path, std::size_t maxBytes) const override;
  bool Replace(const std::u16string& path, std::string_view bytes) const override;
};

}  // namespace tessaly
