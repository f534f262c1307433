#include "platform/WindowsFacts.h"
#include "platform/portable/WindowsVersionCodes.h"

namespace tessaly {

bool IsNative64BitWindows(const WindowsVersionFacts& facts) {
  // A system that will not tell its version is taken for a current, 64-bit one.
  if (!facts.versionQueryOk) {
    return true;
  }
  // 64-bit XP and Server 2003 (major 5) take the 32-bit configuration.
  return facts.major >= 6 && facts.processorArchitecture == version_codes::kArchitectureAmd64;
}

bool IsVistaOrLater(const WindowsVersionFacts& facts) {
  return facts.versionQueryOk && facts.major > 5;
}

}  // namespace tessaly
