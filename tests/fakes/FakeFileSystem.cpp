#include "tests/fakes/FakeFileSystem.h"

namespace tessaly {

bool FakeFileSystem::CreateDirectoryAnsi(const std::string& path) const {
  if (failCreateDirectory) {
    return false;
  }
  directories.insert(path);
  return true;
}

}  // namespace tessaly
