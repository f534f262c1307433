#pragma once

#include "platform/FileAccess.h"

namespace tessaly::win32 {

// Files through CreateFile: reading by ANSI path with the sharing a C runtime gives its
// files, download targets by UTF-16 path without sharing.
class Win32FileAccess final : public FileReader, public FileWriter {
 public:
  std::unique_ptr<ReadableFile> OpenForReading(const std::string& ansiPath) const override;
  std::unique_ptr<WritableFile> CreateExclusive(const std::u16string& path) const override;
  bool Delete(const std::u16string& path) const override;
  bool Replace(const std::u16string& staged, const std::u16string& path) const override;
};

}  // namespace tessaly::win32
