#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/FileOperations.h"

namespace tessaly {

// Files by path ("/" and "\\" alike, as Windows takes them) for the program swap, with the
// refusals of a real folder: a running program (and the name it is renamed to) can be
// renamed but neither deleted nor replaced; chosen renames and copies are refused; and the
// process can stop for good after any number of changes (power loss, a kill). A copy is two
// changes, the partial file first, so a stop in between leaves half a file, as a real one
// would.
class FakeProgramFolder final : public FileOperations {
 public:
  struct RestartAction {
    std::u16string from;
    std::u16string to;  // empty: delete `from`
    bool operator==(const RestartAction&) const = default;
  };

  // What the operations change; they are const, as the real folder's are.
  mutable std::map<std::u16string, std::string> files;
  mutable std::set<std::u16string> running;
  std::set<std::u16string> refusedRenameSources;
  std::set<std::u16string> failingCopyTargets;
  bool restartSchedulingRefused = false;
  std::optional<int> stopAfterChanges;

  mutable std::vector<RestartAction> atRestart;
  mutable int changes = 0;

  bool Exists(const std::u16string& path) const override;
  bool Copy(const std::u16string& from, const std::u16string& to, bool overwrite) const override;
  bool Rename(const std::u16string& from, const std::u16string& to, bool replace) const override;
  bool Delete(const std::u16string& path) const override;
  bool MoveAtRestart(const std::u16string& from, const std::u16string& to) const override;
  bool DeleteAtRestart(const std::u16string& path) const override;

 private:
  // Whether one more change may happen; counts it.
  bool Change() const;
};

}  // namespace tessaly
