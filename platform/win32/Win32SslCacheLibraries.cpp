#include "platform/win32/Win32SslCacheLibraries.h"

#include <windows.h>

#include <utility>

#include "platform/win32/SystemLibrary.h"
#include "platform/win32/UniqueHandles.h"

namespace tessaly::win32 {
namespace {

using SslEmptyCacheFunction = BOOL(WINAPI*)(LPWSTR targetName, DWORD flags);
using IncrementHeaderFunction = BOOL(WINAPI*)(DWORD index, LPDWORD data);

template <typename Function>
Function Lookup(const unique_hmodule& library, const char* name) {
  if (library == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library.get(), name)));
}

class Win32SslCacheFunctions final : public SslCacheFunctions {
 public:
  Win32SslCacheFunctions()
      : schannel_(LoadSystemLibrary(L"schannel.dll")),
        wininet_(LoadSystemLibrary(L"wininet.dll")),
        emptyCache_(Lookup<SslEmptyCacheFunction>(schannel_, "SslEmptyCacheW")),
        incrementHeader_(Lookup<IncrementHeaderFunction>(wininet_, "IncrementUrlCacheHeaderData")) {
  }

  std::optional<bool> EmptySslCache() override {
    if (emptyCache_ == nullptr) {
      return std::nullopt;
    }
    return emptyCache_(nullptr, 0) != FALSE;
  }

  std::optional<bool> IncrementUrlCacheHeaderData(std::uint32_t index) override {
    if (incrementHeader_ == nullptr) {
      return std::nullopt;
    }
    DWORD value = 0;
    return incrementHeader_(index, &value) != FALSE;
  }

 private:
  unique_hmodule schannel_;
  unique_hmodule wininet_;
  SslEmptyCacheFunction emptyCache_;
  IncrementHeaderFunction incrementHeader_;
};

}  // namespace

std::unique_ptr<SslCacheFunctions> Win32SslCacheLibraries::Load() const {
  return std::make_unique<Win32SslCacheFunctions>();
}

}  // namespace tessaly::win32
