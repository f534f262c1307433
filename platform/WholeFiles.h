#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly {

// How reading a whole file went. A missing file and an unreadable one differ on purpose: a
// file that is not there holds nothing, while one that exists but cannot be read (access
// denied, locked, a folder, a read error, larger than the caller's bound) holds something
// nobody knows, so it must never be treated as empty, nor be overwritten as if it were.
enum class WholeFileStatus {
  kRead,
  kMissing,     // neither the file nor (perhaps) its folder exists
  kUnreadable,  // anything else, including a path that cannot name a file
};

struct WholeFileContent {
  WholeFileStatus status = WholeFileStatus::kUnreadable;
  std::string bytes{};  // the file's bytes unchanged; empty unless kRead
};

// Small files handled whole, by UTF-16 path: read at once, or replaced at once.
class WholeFiles {
 public:
  virtual ~WholeFiles() = default;
  // The whole file, provided it holds at most `maxBytes` bytes; a larger one is unreadable
  // (a bound the caller chooses so that a hostile file cannot exhaust the process).
  virtual WholeFileContent Read(const std::u16string& path, std::size_t maxBytes) const = 0;
  // Makes `bytes` the file's content, creating it when it is missing. Either the file holds
  // all of `bytes` afterwards, or it is left exactly as it was and false comes back: the new
  // content is written completely beside it first and only then put in its place at once,
  // and whatever was written beside it on the way is removed again.
  virtual bool Replace(const std::u16string& path, std::string_view bytes) const = 0;
};

}  // namespace tessaly
