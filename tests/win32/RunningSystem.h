#pragma once

#include <windows.h>

namespace tessaly::win32 {

// Whether this test process is a 32-bit one on 64-bit Windows: it then sees the registry's
// 32-bit view and SysWOW64 for system32 unless it asks otherwise.
inline bool RunsUnderWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// Wine lacks or simplifies a few functions; tests assert what it answers there.
inline bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace tessaly::win32
