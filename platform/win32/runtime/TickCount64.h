#pragma once

#include <windows.h>

namespace tessaly::win32 {

// Windows XP's kernel32 has no GetTickCount64, yet the statically linked POSIX thread
// runtime of the MinGW compilers imports it, and a module whose imports the loader cannot
// bind does not start at all. Every module of the Windows build therefore links this unit
// (cmake/TickCount64Supply.cmake), which fills the module's own import slot of
// GetTickCount64: each call reaches SuppliedTickCount64 and kernel32 is never asked for
// the function at load time.
using TickCount64Function = ULONGLONG(WINAPI*)();

// GetTickCount widened to 64 bits (platform/portable/WideTickCounter.h): what
// GetTickCount64 answers on Windows XP, where the module has not been asleep for a whole
// 49.7-day wrap of GetTickCount.
ULONGLONG WINAPI XpTickCount64();

// kernel32's own GetTickCount64 where the given kernel32 exports it (Vista on), else
// XpTickCount64.
TickCount64Function ChooseTickCount64(HMODULE kernel32);

// What every call of GetTickCount64 in the module reaches: the choice for the running
// system's kernel32, made at the first call.
ULONGLONG WINAPI SuppliedTickCount64();

}  // namespace tessaly::win32
