#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tessaly {

// What the version queries of the running Windows report: GetVersionExW (extended
// structure), the native system information and, where they exist, GetProductInfo and
// the SM_SERVERR2 metric. The facts are raw; the rules that turn them into answers and
// display texts are portable code.
struct WindowsVersionFacts {
  bool versionQueryOk = false;  // GetVersionExW succeeded; nothing below is valid otherwise
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t platformId = 0;      // VER_PLATFORM_WIN32_NT = 2
  std::u16string servicePack{};      // szCSDVersion, e.g. "Service Pack 3"
  std::uint16_t suiteMask = 0;       // VER_SUITE_*
  std::uint8_t productType = 0;      // VER_NT_WORKSTATION = 1
  std::uint16_t processorArchitecture = 0;  // PROCESSOR_ARCHITECTURE_* (INTEL 0, IA64 6, AMD64 9)
  bool serverR2 = false;                    // GetSystemMetrics(SM_SERVERR2) != 0
  std::optional<std::uint32_t> productInfo{};  // GetProductInfo's type, when the call exists
};

// Facts about the running Windows.
class SystemFacts {
 public:
  virtual ~SystemFacts() = default;
  // The major version number as the platform's version query reports it (5 for XP, 6 for
  // Vista to 8.1 and for later systems that do not declare themselves compatible).
  virtual unsigned WindowsMajorVersion() const = 0;
  virtual WindowsVersionFacts VersionFacts() const = 0;
};

}  // namespace tessaly
