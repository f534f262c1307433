#include "platform/win32/Win32WideEnvironment.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace tessaly::win32 {

std::optional<std::u16string> Win32WideEnvironment::ExpandWide(std::u16string_view text) const {
  if (text.find(u'\0') != std::u16string_view::npos) {
    return std::nullopt;
  }
  const std::u16string source(text);
  // Another thread may change a variable between sizing and expanding, so retry while the
  // buffer turns out too small.
  DWORD capacity = ExpandEnvironmentStringsW(AsWide(source), nullptr, 0);
  for (int attempt = 0; attempt < 3 && capacity != 0; ++attempt) {
    std::u16string expanded(capacity, u'\0');
    const DWORD needed = ExpandEnvironmentStringsW(AsWide(source), AsWide(expanded), capacity);
    if (needed == 0) {
      return std::nullopt;
    }
    if (needed <= capacity) {
      expanded.resize(needed - 1);  // the count includes the terminator
      return expanded;
    }
    capacity = needed;
  }
  return std::nullopt;
}

}  // namespace tessaly::win32
