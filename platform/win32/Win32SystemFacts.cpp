#include "platform/win32/Win32SystemFacts.h"

#include <windows.h>

#include <cwchar>
#include <iterator>
#include <optional>

#include "platform/portable/WindowsVersionCodes.h"

namespace tessaly::win32 {
namespace {

namespace codes = version_codes;
static_assert(codes::kPlatformWin32Nt == VER_PLATFORM_WIN32_NT);
static_assert(codes::kProductTypeWorkstation == VER_NT_WORKSTATION);
static_assert(codes::kArchitectureIntel == PROCESSOR_ARCHITECTURE_INTEL);
static_assert(codes::kArchitectureIa64 == PROCESSOR_ARCHITECTURE_IA64);
static_assert(codes::kArchitectureAmd64 == PROCESSOR_ARCHITECTURE_AMD64);
static_assert(codes::kSuiteEnterprise == VER_SUITE_ENTERPRISE);
static_assert(codes::kSuiteDatacenter == VER_SUITE_DATACENTER);
static_assert(codes::kSuitePersonal == VER_SUITE_PERSONAL);
static_assert(codes::kSuiteBlade == VER_SUITE_BLADE);
static_assert(codes::kSuiteStorageServer == VER_SUITE_STORAGE_SERVER);
static_assert(codes::kSuiteComputeServer == VER_SUITE_COMPUTE_SERVER);
static_assert(codes::kSuiteHomeServer == VER_SUITE_WH_SERVER);

// Looked up at run time: Windows XP has neither GetNativeSystemInfo (before SP2 on
// x64) nor GetProductInfo.
template <typename Function>
Function Kernel32Function(const char* name) {
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  if (kernel32 == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel32, name)));
}

// The processor of the system, not of the (possibly WOW64) process.
WORD NativeProcessorArchitecture() {
  SYSTEM_INFO info{};
  using GetNativeSystemInfoFunction = void(WINAPI*)(LPSYSTEM_INFO);
  if (auto getNative = Kernel32Function<GetNativeSystemInfoFunction>("GetNativeSystemInfo")) {
    getNative(&info);
  } else {
    GetSystemInfo(&info);
  }
  return info.wProcessorArchitecture;
}

std::optional<std::uint32_t> ProductType(DWORD major, DWORD minor) {
  using GetProductInfoFunction = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
  auto getProductInfo = Kernel32Function<GetProductInfoFunction>("GetProductInfo");
  if (getProductInfo == nullptr) {
    return std::nullopt;
  }
  // A failed call leaves the type undefined (0), which names no edition.
  DWORD type = 0;
  if (!getProductInfo(major, minor, 0, 0, &type)) {
    type = 0;
  }
  return type;
}

}  // namespace

unsigned Win32SystemFacts::WindowsMajorVersion() const {
  // GetVersionEx on purpose: installer conditions are written against what the program
  // itself is told, compatibility shims included.
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(&info)) {
    return 0;
  }
  return info.dwMajorVersion;
}

WindowsVersionFacts Win32SystemFacts::VersionFacts() const {
  WindowsVersionFacts facts;
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
    return facts;
  }
  facts.versionQueryOk = true;
  facts.major = info.dwMajorVersion;
  facts.minor = info.dwMinorVersion;
  facts.build = info.dwBuildNumber;
  facts.platformId = info.dwPlatformId;
  // The service-pack text is bounded by its array, terminated or not.
  facts.servicePack.assign(reinterpret_cast<const char16_t*>(info.szCSDVersion),
                           wcsnlen(info.szCSDVersion, std::size(info.szCSDVersion)));
  facts.suiteMask = info.wSuiteMask;
  facts.productType = info.wProductType;
  facts.processorArchitecture = NativeProcessorArchitecture();
  facts.serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;
  facts.productInfo = ProductType(info.dwMajorVersion, info.dwMinorVersion);
  return facts;
}

}  // namespace tessaly::win32
