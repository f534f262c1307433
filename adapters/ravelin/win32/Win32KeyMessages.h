#pragma once

#include <windows.h>

#include <string>

#include "adapters/ravelin/KeyMessages.h"

namespace tessaly::ravelin::win32 {

// Message boxes captioned with the library's own file name without extension.
class Win32KeyMessages final : public KeyMessages {
 public:
  explicit Win32KeyMessages(HMODULE library) : library_(library) {}
  void ShowNotice(std::u16string_view text) override;
  void ShowWarning(std::u16string_view caption, std::u16string_view text) override;

 private:
  HMODULE library_;
};

// "Ravelin" for ...\Ravelin.dll.
std::wstring LibraryTitle(HMODULE library);

}  // namespace tessaly::ravelin::win32
