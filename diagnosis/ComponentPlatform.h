#pragma once

#include "platform/CodePages.h"
#include "platform/FileAccess.h"
#include "platform/FileSystemRedirection.h"
#include "platform/FileVersion.h"
#include "platform/PathProbe.h"
#include "platform/Registry.h"
#include "platform/UsbDriver.h"
#include "platform/WideEnvironment.h"

namespace tessaly {

// The platform services the detection of component items reaches the system through.
struct ComponentPlatform {
  const Registry& registry;
  const CodePages& codePages;
  const WideEnvironment& environment;
  const PathProbe& paths;
  const FileSystemRedirection& redirection;
  const FileVersionReader& versions;
  const FileReader& files;
  const UsbDriver& usb;
};

}  // namespace tessaly
