#include "tests/fakes/FakeWholeFiles.h"

#include <algorithm>
#include <utility>

namespace tessaly {

WholeFileContent FakeWholeFiles::Read(const std::u16string& path, std::size_t maxBytes) const {
  lastReadLimit = maxBytes;
  if (unreadable.contains(path)) {
    return {};
  }
  const auto found = files.find(path);
  if (found == files.end()) {
    return {.status = WholeFileStatus::kMissing};
  }
  if (found->second.size() > maxBytes) {
    return {};
  }
  return {.status = WholeFileStatus::kRead, .bytes = found->second};
}

bool FakeWholeFiles::Replace(const std::u16string& path, std::string_view bytes) const {
  ++replaceCalls;
  const std::u16string sibling = path + u".new";
  std::string& written = files[sibling];
  const std::size_t fits = std::min(bytes.size(), writeBreaksAfterBytes.value_or(bytes.size()));
  written.assign(bytes.substr(0, fits));
  if (fits < bytes.size() || finalReplaceFails) {
    files.erase(sibling);
    return false;
  }
  files[path] = std::move(written);
  files.erase(sibling);
  return true;
}

}  // namespace tessaly
