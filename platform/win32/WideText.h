#pragma once

#include <string>

// Portable code keeps UTF-16 in std::u16string; Windows takes the same code units as
// wchar_t. These views let the Win32 implementations pass one as the other.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t is a UTF-16 code unit");

namespace tessaly::win32 {

inline const wchar_t* AsWide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline wchar_t* AsWide(std::u16string& text) { return reinterpret_cast<wchar_t*>(text.data()); }

}  // namespace tessaly::win32
