#pragma once

#include <cstdint>

// The numbers Windows uses in its version information, for portable code that must not
// include <windows.h>. The Windows build checks them against the system headers.
namespace tessaly::version_codes {

inline constexpr std::uint32_t kPlatformWin32Nt = 2;        // VER_PLATFORM_WIN32_NT
inline constexpr std::uint8_t kProductTypeWorkstation = 1;  // VER_NT_WORKSTATION

inline constexpr std::uint16_t kArchitectureIntel = 0;  // PROCESSOR_ARCHITECTURE_INTEL
inline constexpr std::uint16_t kArchitectureIa64 = 6;   // PROCESSOR_ARCHITECTURE_IA64
inline constexpr std::uint16_t kArchitectureAmd64 = 9;  // PROCESSOR_ARCHITECTURE_AMD64

inline constexpr std::uint16_t kSuiteEnterprise = 0x0002;     // VER_SUITE_ENTERPRISE
inline constexpr std::uint16_t kSuiteDatacenter = 0x0080;     // VER_SUITE_DATACENTER
inline constexpr std::uint16_t kSuitePersonal = 0x0200;       // VER_SUITE_PERSONAL
inline constexpr std::uint16_t kSuiteBlade = 0x0400;          // VER_SUITE_BLADE
inline constexpr std::uint16_t kSuiteStorageServer = 0x2000;  // VER_SUITE_STORAGE_SERVER
inline constexpr std::uint16_t kSuiteComputeServer = 0x4000;  // VER_SUITE_COMPUTE_SERVER
inline constexpr std::uint16_t kSuiteHomeServer = 0x8000;     // VER_SUITE_WH_SERVER

}  // namespace tessaly::version_codes
