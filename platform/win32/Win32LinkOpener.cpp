#include "platform/win32/Win32LinkOpener.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "platform/win32/WideText.h"

namespace tessaly::win32 {

void Win32LinkOpener::Open(std::u16string_view address) const {
  // A zero inside the address would cut it short where the shell reads it.
  if (address.find(u'\0') != std::u16string_view::npos) {
    return;
  }
  std::u16string program(MAX_PATH, u'\0');
  for (;;) {
    const DWORD needed =
        ExpandEnvironmentStringsW(L"%ProgramFiles%\\Internet Explorer\\iexplore.exe",
                                  AsWide(program), static_cast<DWORD>(program.size()));
    if (needed == 0) {
      return;
    }
    if (needed <= program.size()) {
      program.resize(needed - 1);
      break;
    }
    program.resize(needed);
  }
  const std::u16string parameter(address);
  ShellExecuteW(nullptr, nullptr, AsWide(program), AsWide(parameter), nullptr, SW_SHOWNORMAL);
}

}  // namespace tessaly::win32
