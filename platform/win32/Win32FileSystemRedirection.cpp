#include "platform/win32/Win32FileSystemRedirection.h"

namespace tessaly::win32 {
namespace {

class Win32RedirectionPause final : public RedirectionPause {
 public:
  using Revert = BOOL(WINAPI*)(PVOID oldValue);
  Win32RedirectionPause(Revert revert, PVOID oldValue) : revert_(revert), oldValue_(oldValue) {}
  ~Win32RedirectionPause() override { revert_(oldValue_); }

 private:
  Revert revert_;
  PVOID oldValue_;
};

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  // The system's exports are looked up by name; their type is the documented one.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

Win32FileSystemRedirection::Win32FileSystemRedirection() {
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) {
    return;
  }
  disable_ = Lookup<Disable>(kernel, "Wow64DisableWow64FsRedirection");
  revert_ = Lookup<Revert>(kernel, "Wow64RevertWow64FsRedirection");
}

std::unique_ptr<RedirectionPause> Win32FileSystemRedirection::SwitchOff() const {
  if (disable_ == nullptr || revert_ == nullptr) {
    return nullptr;
  }
  PVOID oldValue = nullptr;
  if (!disable_(&oldValue)) {
    return nullptr;
  }
  return std::make_unique<Win32RedirectionPause>(revert_, oldValue);
}

}  // namespace tessaly::win32
