#pragma once

#include <string>

namespace tessaly {

// File-system services. Paths are in the ANSI code page, as the byte-oriented
// Windows calls take them.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The user's temporary folder, ending in a backslash; empty on failure.
  virtual std::string TempDirectoryAnsi() const = 0;
  // Creates one folder; true when it exists afterwards.
  virtual bool CreateDirectoryAnsi(const std::string& path) const = 0;
};

}  // namespace tessaly
