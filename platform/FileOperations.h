#pragma once

#include <string>

namespace tessaly {

// Whole-file operations on UTF-16 paths: what putting a new program file in place of the
// running one takes. Every operation answers whether it worked; none reports why.
class FileOperations {
 public:
  virtual ~FileOperations() = default;
  virtual bool Exists(const std::u16string& path) const = 0;
  // Copies `from` to `to` and makes the copy durable before answering, so that a rename
  // that follows never publishes a file whose bytes are still in the cache. Without
  // `overwrite` an existing `to` makes it fail.
  virtual bool Copy(const std::u16string& from, const std::u16string& to, bool overwrite) const = 0;
  // Renames within one folder, in one step. With `replace` an existing `to` is replaced,
  // which fails while `to` is a running program (its name can be moved away, not reused).
  virtual bool Rename(const std::u16string& from, const std::u16string& to, bool replace) const = 0;
  virtual bool Delete(const std::u16string& path) const = 0;
  // Has Windows move `from` onto `to` (replacing it) at its next start, before any program
  // runs; needs administrative rights.
  virtual bool MoveAtRestart(const std::u16string& from, const std::u16string& to) const = 0;
  // Has Windows delete `path` at its next start; needs administrative rights.
  virtual bool DeleteAtRestart(const std::u16string& path) const = 0;
};

}  // namespace tessaly
