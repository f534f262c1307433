#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace tessaly {

// A file open for reading its bytes unchanged. Closed when the object goes away.
struct FileReadResult {
  bool ok = false;
  std::size_t count = 0;  // 0 with ok: the end of the file
};

class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  virtual FileReadResult Read(std::span<char> buffer) = 0;
};

// A file open for writing bytes unchanged, which nobody else can open meanwhile. Closed
// when the object goes away at the latest.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Writes every byte or fails (a full disk may have taken part of them).
  virtual bool Write(std::span<const char> bytes) = 0;
  // The file's length as the system reports it; nothing when it cannot tell.
  virtual std::optional<std::uint64_t> Size() const = 0;
  // Closes the file; false when the system reports a failure or it was closed already.
  virtual bool Close() = 0;
};

// Opening existing files for reading. Paths are in the ANSI code page, as the byte-oriented
// calls of the digest take them.
class FileReader {
 public:
  virtual ~FileReader() = default;
  // nullptr when the file does not exist or cannot be opened.
  virtual std::unique_ptr<ReadableFile> OpenForReading(const std::string& ansiPath) const = 0;
};

// Download targets: a staging file created, written and, when the download fails,
// deleted; a complete one then takes the target's place. Paths are UTF-16.
class FileWriter {
 public:
  virtual ~FileWriter() = default;
  // Creates the file, truncating an existing one, opened without sharing; nullptr when it
  // cannot be created (missing folder, access denied, the file open elsewhere).
  virtual std::unique_ptr<WritableFile> CreateExclusive(const std::u16string& path) const = 0;
  // Deletes a closed file; false when it is missing or cannot be deleted.
  virtual bool Delete(const std::u16string& path) const = 0;
  // Moves the closed file `staged` onto `path` in one step, replacing an existing file, so
  // that `path` is either the old file or the new one, never a part of either. False, with
  // both left as they were, when `path` is in use (a loaded library, a running program) or
  // cannot be replaced.
  virtual bool Replace(const std::u16string& staged, const std::u16string& path) const = 0;
};

}  // namespace tessaly
