#pragma once

#include <set>
#include <string>

#include "platform/FileSystem.h"

namespace tessaly {

// A file system that knows only folders: the temporary folder and the ones created.
class FakeFileSystem final : public FileSystem {
 public:
  // Empty: the platform could not tell the temporary folder.
  std::string temporaryDirectory = "C:\\Users\\tester\\AppData\\Local\\Temp\\";
  // Creation fails (access denied, a file in the way) and nothing is recorded.
  bool failCreateDirectory = false;
  // Every folder created so far, as the caller spelled it.
  mutable std::set<std::string> directories;

  std::string TempDirectoryAnsi() const override { return temporaryDirectory; }
  bool CreateDirectoryAnsi(const std::string& path) const override;
};

}  // namespace tessaly
