#pragma once

#include <windows.h>

#include "platform/win32/UniqueHandles.h"

namespace tessaly::win32 {

// Loads the system library `fileName` (for example L"schannel.dll") from the system folder
// only. A load by bare name searches the program's own folder first, where in an elevated
// process a planted file of that name would run with the program's rights. Where the
// loader offers the system-folder search flag (Vista and 7 with KB2533623, and later) it is
// used; elsewhere (XP) the library is loaded by its full path. Null when it cannot be loaded.
unique_hmodule LoadSystemLibrary(const wchar_t* fileName);

}  // namespace tessaly::win32
