#include "platform/win32/Win32CodePages.h"

#include <windows.h>

#include <climits>

#include "platform/win32/WideText.h"

namespace tessaly::win32 {

std::u16string Win32CodePages::ToWide(unsigned codePage, std::string_view bytes) const {
  if (bytes.empty() || bytes.size() > INT_MAX) {
    return {};
  }
  const int inputLength = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(codePage, 0, bytes.data(), inputLength, nullptr, 0);
  if (needed <= 0) {
    return {};
  }
  std::u16string wide(static_cast<std::size_t>(needed), u'\0');
  const int written =
      MultiByteToWideChar(codePage, 0, bytes.data(), inputLength, AsWide(wide), needed);
  if (written <= 0) {
    return {};
  }
  wide.resize(static_cast<std::size_t>(written));
  return wide;
}

std::string Win32CodePages::FromWide(unsigned codePage, std::u16string_view text) const {
  if (text.empty() || text.size() > INT_MAX) {
    return {};
  }
  const auto* input = reinterpret_cast<const wchar_t*>(text.data());
  const int inputLength = static_cast<int>(text.size());
  const int needed =
      WideCharToMultiByte(codePage, 0, input, inputLength, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) {
    return {};
  }
  std::string bytes(static_cast<std::size_t>(needed), '\0');
  const int written = WideCharToMultiByte(codePage, 0, input, inputLength, bytes.data(), needed,
                                          nullptr, nullptr);
  if (written <= 0) {
    return {};
  }
  bytes.resize(static_cast<std::size_t>(written));
  return bytes;
}

}  // namespace tessaly::win32
