#pragma once

#include "platform/FileOperations.h"

namespace tessaly::win32 {

// Copies, renames and deletions through the Win32 file functions; the moves at Windows'
// next start through MoveFileExW's delay flag, which records them for the session manager
// and needs administrative rights (the program asks for them at every start).
class Win32FileOperations final : public FileOperations {
 public:
  bool Exists(const std::u16string& path) const override;
  bool Copy(const std::u16string& from, const std::u16string& to, bool overwrite) const override;
  bool Rename(const std::u16string& from, const std::u16string& to, bool replace) const override;
  bool Delete(const std::u16string& path) const override;
  bool MoveAtRestart(const std::u16string& from, const std::u16string& to) const override;
  bool DeleteAtRestart(const std::u16string& path) const override;
};

}  // namespace tessaly::win32
