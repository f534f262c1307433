#pragma once

#include <windows.h>

#include <string>

namespace tessaly::win32 {

// The full path of `module`'s file (nullptr: the program), however long; empty when the
// system cannot tell.
std::u16string ModuleFilePath(HMODULE module = nullptr);

}  // namespace tessaly::win32
