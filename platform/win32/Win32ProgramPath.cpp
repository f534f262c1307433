#include "platform/win32/Win32ProgramPath.h"

#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

// Long-path names reach 32,767 characters; beyond that the answer is no path.
constexpr DWORD kMaxPathChars = 32768;

}  // namespace

std::u16string ModuleFilePath(HMODULE module) {
  std::u16string path(MAX_PATH, u'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD length = GetModuleFileNameW(module, AsWide(path), size);
    if (length == 0) {
      return {};
    }
    // A cut name fills the whole buffer (XP leaves it unterminated, later versions set
    // ERROR_INSUFFICIENT_BUFFER); only a shorter answer is the whole path.
    if (length < size) {
      path.resize(length);
      return path;
    }
    if (size >= kMaxPathChars) {
      return {};
    }
    path.resize(static_cast<std::size_t>(size) * 2);
  }
}

}  // namespace tessaly::win32
