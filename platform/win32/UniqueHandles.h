#pragma once

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <type_traits>

namespace tessaly::win32 {

// One owner type per kind of Win32 handle: the handle is closed when its owner goes
// away, so no path out of an operation can leak it.
template <typename Handle, auto Close>
struct HandleCloser {
  void operator()(Handle handle) const noexcept {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
      Close(handle);
    }
  }
};

template <typename Handle, auto Close>
using UniqueHandleOf = std::unique_ptr<std::remove_pointer_t<Handle>, HandleCloser<Handle, Close>>;

using unique_hkey = UniqueHandleOf<HKEY, &RegCloseKey>;
using unique_handle = UniqueHandleOf<HANDLE, &CloseHandle>;
using unique_hinternet = UniqueHandleOf<HINTERNET, &InternetCloseHandle>;
using unique_hmodule = UniqueHandleOf<HMODULE, &FreeLibrary>;
using unique_hwnd = UniqueHandleOf<HWND, &DestroyWindow>;

}  // namespace tessaly::win32
