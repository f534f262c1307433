#pragma once

#include "platform/CodePages.h"

namespace tessaly::win32 {

// MultiByteToWideChar and WideCharToMultiByte with default flags: invalid input is
// replaced, not refused, as everywhere else the program converts text.
class Win32CodePages final : public CodePages {
 public:
  std::u16string ToWide(unsigned codePage, std::string_view bytes) const override;
  std::string FromWide(unsigned codePage, std::u16string_view text) const override;
};

}  // namespace tessaly::win32
