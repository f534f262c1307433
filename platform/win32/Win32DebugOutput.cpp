#include "platform/win32/Win32DebugOutput.h"

#include <windows.h>

#include <string>

namespace tessaly::win32 {

void Win32DebugOutput::Write(std::string_view line) const {
  OutputDebugStringA(std::string(line).c_str());
}

}  // namespace tessaly::win32
