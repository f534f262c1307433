#pragma once

#include <string>

namespace tessaly {

// Whether something is at a path: a file or a folder, as the calling thread sees the file
// system (see FileSystemRedirection.h).
class PathProbe {
 public:
  virtual ~PathProbe() = default;
  // False for an empty path, one holding a zero, and anything the system cannot find.
  virtual bool PathExists(const std::u16string& path) const = 0;
};

}  // namespace tessaly
