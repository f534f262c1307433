#pragma once

#include "platform/WholeFiles.h"

namespace tessaly::win32 {

// Whole files through CreateFile. Reading shares the file with everybody (the DNS client
// and editors may hold it open). Replacing writes a uniquely named file in the same folder,
// flushes it to the disk and swaps it in for the old one with ReplaceFileW, in one step on
// the same volume, keeping the old file's security descriptor and attributes; a file that
// did not exist yet is the renamed sibling.
class Win32WholeFiles final : public WholeFiles {
 public:
  WholeFileContent Read(const std::u16string& path, std::size_t maxBytes) const override;
  bool Replace(const std::u16string& path, std::string_view bytes) const override;
};

}  // namespace tessaly::win32
