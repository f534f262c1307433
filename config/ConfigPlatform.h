#pragma once

#include "platform/CodePages.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/SystemFacts.h"

namespace tessaly {

// The platform services that reading a check-item document needs: conversions between
// UTF-8 and the ANSI code page, the temporary folder, environment expansion and the
// Windows version that installer conditions test. The services outlive the parse.
struct ConfigPlatform {
  const CodePages& codePages;
  const FileSystem& fileSystem;
  const Environment& environment;
  const SystemFacts& systemFacts;
};

}  // namespace tessaly
