#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "platform/FileAccess.h"

namespace tessaly {

// Files in memory, with the failures of a real disk. Files are keyed by their UTF-16 path;
// an ANSI path names the file whose path has the same characters (byte for byte), so tests
// use ASCII paths. A file created exclusively cannot be created again, read or deleted
// while it is open, as on Windows.
class FakeFileStore final : public FileReader, public FileWriter {
 public:
  struct State {
    std::map<std::u16string, std::string> files;
    std::set<std::u16string> openForWriting;
    int deletions = 0;
  };

  // Creation of these paths fails (a missing folder, access denied).
  std::set<std::u16string> uncreatable;
  // The disk fills up: a write that would take a file past this many bytes stores what
  // still fits and fails.
  std::optional<std::uint64_t> diskCapacity;
  // These paths are in use (a loaded library, a running program): they cannot be replaced.
  std::set<std::u16string> inUse;
  // Reads fail once this many bytes of a file have been read.
  std::optional<std::size_t> readBreaksAfterBytes;
  // Reads hand out at most this many bytes.
  std::size_t largestRead = 64 * 1024;
  // Called after every successful write, e.g. to look at the progress meanwhile.
  std::function<void()> afterWrite;

  void Put(const std::u16string& path, std::string bytes) { state_->files[path] = std::move(bytes); }
  const std::string* Find(const std::u16string& path) const;
  const State& state() const { return *state_; }

  std::unique_ptr<ReadableFile> OpenForReading(const std::string& ansiPath) const override;
  std::unique_ptr<WritableFile> CreateExclusive(const std::u16string& path) const override;
  bool Delete(const std::u16string& path) const override;
  bool Replace(const std::u16string& staged, const std::u16string& path) const override;

 private:
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace tessaly
