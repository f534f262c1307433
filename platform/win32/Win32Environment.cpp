#include "platform/win32/Win32Environment.h"

#include <windows.h>

#include <cstring>

namespace tessaly::win32 {

std::string Win32Environment::ExpandAnsi(std::string_view text) const {
  const std::string source(text);
  // The expansion can change between the two calls (another thread may set a variable),
  // so retry while the buffer turns out too small.
  DWORD capacity = ExpandEnvironmentStringsA(source.c_str(), nullptr, 0);
  for (int attempt = 0; attempt < 3 && capacity != 0; ++attempt) {
    std::string expanded(capacity, '\0');
    const DWORD needed = ExpandEnvironmentStringsA(source.c_str(), expanded.data(), capacity);
    if (needed == 0) {
      return {};
    }
    if (needed <= capacity) {
      // The ANSI variant may count more than it wrote (it sizes for double-byte code
      // pages), so the terminator, not the count, marks the end.
      expanded.resize(std::strlen(expanded.c_str()));
      return expanded;
    }
    capacity = needed;
  }
  return {};
}

}  // namespace tessaly::win32
