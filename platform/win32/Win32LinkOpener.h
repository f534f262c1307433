#pragma once

#include "platform/LinkOpener.h"

namespace tessaly::win32 {

// Starts "%ProgramFiles%\Internet Explorer\iexplore.exe" through the shell with the
// address as its only parameter; a missing Internet Explorer does nothing visible.
class Win32LinkOpener final : public LinkOpener {
 public:
  void Open(std::u16string_view address) const override;
};

}  // namespace tessaly::win32
