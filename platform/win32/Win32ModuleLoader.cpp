#include "platform/win32/Win32ModuleLoader.h"

#include <string>
#include <utility>

#include "platform/win32/UniqueHandles.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {
namespace {

class Win32LoadedModule final : public LoadedModule {
 public:
  explicit Win32LoadedModule(unique_hmodule module) : module_(std::move(module)) {}

  ModuleFunction Find(const char* name) const override {
    // GetProcAddress answers a generic function pointer; callers cast it to the export's
    // real type (FindExport).
    return reinterpret_cast<ModuleFunction>(GetProcAddress(module_.get(), name));
  }

 private:
  unique_hmodule module_;
};

}  // namespace

std::unique_ptr<LoadedModule> Win32ModuleLoader::Load(std::u16string_view path) const {
  const std::u16string terminated(path);
  // A missing library is an answer here, not a reason for the system's error box.
  const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  unique_hmodule module(LoadLibraryW(AsWide(terminated)));
  SetErrorMode(previousMode);
  if (!module) {
    return nullptr;
  }
  return std::make_unique<Win32LoadedModule>(std::move(module));
}

}  // namespace tessaly::win32
