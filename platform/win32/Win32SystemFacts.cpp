#include "platform/win32/Win32SystemFacts.h"

#include <windows.h>

namespace tessaly::win32 {
namespace {

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
  facts.servicePack = reinterpret_cast<const char16_t*>(info.szCSDVersion);
  facts.suiteMask = info.wSuiteMask;
  facts.productType = info.wProductType;
  facts.processorArchitecture = NativeProcessorArchitecture();
  facts.serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;
  using GetProductInfoFunction = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
  if (auto getProductInfo = Kernel32Function<GetProductInfoFunction>("GetProductInfo")) {
    DWORD type = 0;
    getProductInfo(info.dwMajorVersion, info.dwMinorVersion, 0, 0, &type);
    facts.productInfo = type;
  }
  return facts;
}

}  // namespace tessaly::win32
