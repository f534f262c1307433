#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// Code page numbers as Windows names them.
inline constexpr unsigned kCodePageAnsi = 0;  // the system's ANSI code page (CP_ACP)
inline constexpr unsigned kCodePageUtf8 = 65001;

// Converts byte texts in a code page to UTF-16 and back, as the platform does it.
// Both directions answer an empty text when the input is empty or cannot be converted.
class CodePages {
 public:
  virtual ~CodePages() = default;
  virtual std::u16string ToWide(unsigned codePage, std::string_view bytes) const = 0;
  virtual std::string FromWide(unsigned codePage, std::u16string_view text) const = 0;
};

}  // namespace tessaly
