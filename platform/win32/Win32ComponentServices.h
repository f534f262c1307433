#pragma once

#include "platform/win32/Win32CodeSignatures.h"
#include "platform/win32/Win32FileAccess.h"
#include "platform/win32/Win32FileSystemRedirection.h"
#include "platform/win32/Win32FileVersion.h"
#include "platform/win32/Win32PathProbe.h"
#include "platform/win32/Win32ProcessLauncher.h"
#include "platform/win32/Win32UsbDriver.h"

namespace tessaly::win32 {

// The Windows services that the component items need beyond those of the checks: presence
// and version of files on either side of the redirection, the download targets, the USB
// tree, the installers' processes and the signatures checked before any of them runs. One
// set per program.
struct Win32ComponentServices {
  Win32PathProbe paths;
  Win32FileSystemRedirection redirection;
  Win32FileVersion versions;
  Win32FileAccess files;
  Win32UsbDriver usb;
  Win32ProcessLauncher launcher;
  Win32CodeSignatures signatures;
};

}  // namespace tessaly::win32
