#pragma once

#include "platform/WholeFiles.h"

namespace tessaly::win32 {

// Whole files through CreateFile. Reading shares the file with everybody (the DNS client
// and editors may hold it open). Replacing writes a uniquely named file in the same folder,
// flushes it to the disk and renames it over the old one with MoveFileEx, which replaces
// the directory entry in one step on the same volume.
class Win32WholeFiles final : public WholeFiles {
 public:
  WholeFileContent Read(const std::u16string& path, std::size_t maxBytes) const override;
  bool Replace(const std::u16string& path, std::string_view bytes) const override;
};

}  // namespace tessaly::win32
