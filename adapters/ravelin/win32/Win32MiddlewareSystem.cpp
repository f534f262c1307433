#include "adapters/ravelin/win32/Win32MiddlewareSystem.h"

#include <windows.h>

#include <array>

#include "platform/win32/UniqueHandles.h"

namespace tessaly::ravelin::win32 {
namespace {

constexpr DWORD kValueBytes = 260;
constexpr DWORD kIniValueChars = 128;  // 127 and the terminator

template <typename Function>
Function Kernel32Function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

// Switches the calling thread's file redirection off for its lifetime, where WOW64 has one.
class RedirectionOff {
 public:
  RedirectionOff() {
    using Disable = BOOL(WINAPI*)(PVOID*);
    if (const auto disable = Kernel32Function<Disable>("Wow64DisableWow64FsRedirection")) {
      switchedOff_ = disable(&previous_) != FALSE;
    }
  }
  ~RedirectionOff() {
    using Revert = BOOL(WINAPI*)(PVOID);
    if (const auto revert = Kernel32Function<Revert>("Wow64RevertWow64FsRedirection");
        switchedOff_ && revert != nullptr) {
      revert(previous_);
    }
  }
  RedirectionOff(const RedirectionOff&) = delete;
  RedirectionOff& operator=(const RedirectionOff&) = delete;

 private:
  PVOID previous_ = nullptr;
  bool switchedOff_ = false;
};

}  // namespace

std::optional<std::string> Win32MiddlewareSystem::ReadMachineString(std::string_view keyPath,
                                                                    std::string_view valueName,
                                                                    bool thirtyTwoBitView) const {
  HKEY raw = nullptr;
  const REGSAM access = KEY_READ | (thirtyTwoBitView ? KEY_WOW64_32KEY : 0);
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, std::string(keyPath).c_str(), 0, access, &raw) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  const tessaly::win32::unique_hkey key(raw);
  std::array<char, kValueBytes + 1> buffer{};
  DWORD type = 0;
  DWORD size = kValueBytes;
  if (RegQueryValueExA(key.get(), std::string(valueName).c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size > kValueBytes) {
    return std::nullopt;
  }
  // Stored texts need not carry their terminator; the extra byte gives them one.
  buffer[size] = '\0';
  return std::string(buffer.data());
}

std::string Win32MiddlewareSystem::ReadIniValue(const std::string& file, std::string_view section,
                                                std::string_view name) const {
  std::array<char, kIniValueChars> buffer{};
  GetPrivateProfileStringA(std::string(section).c_str(), std::string(name).c_str(), "",
                           buffer.data(), kIniValueChars, file.c_str());
  buffer.back() = '\0';
  return buffer.data();
}

bool Win32MiddlewareSystem::IsNative64BitWindows() const {
  using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
  const auto getNativeSystemInfo = Kernel32Function<GetNativeSystemInfoFn>("GetNativeSystemInfo");
  if (getNativeSystemInfo == nullptr) {
    return false;
  }
  SYSTEM_INFO info{};
  getNativeSystemInfo(&info);
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
         info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

std::string Win32MiddlewareSystem::SystemDirectory(FileView view) const {
  std::array<char, MAX_PATH + 1> buffer{};
  UINT length = 0;
#if defined(_WIN64)
  // A 64-bit build sees the native directory; the 32-bit one has its own name.
  length = view == FileView::ThirtyTwoBit
               ? GetSystemWow64DirectoryA(buffer.data(), MAX_PATH)
               : GetSystemDirectoryA(buffer.data(), MAX_PATH);
#else
  static_cast<void>(view);  // the same name; redirection decides what it shows
  length = GetSystemDirectoryA(buffer.data(), MAX_PATH);
#endif
  if (length == 0 || length >= MAX_PATH) {
    return "";
  }
  return std::string(buffer.data(), length);
}

bool Win32MiddlewareSystem::FileExists(const std::string& path, FileView view) const {
  if (view == FileView::Native) {
    const RedirectionOff redirectionOff;
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace tessaly::ravelin::win32
