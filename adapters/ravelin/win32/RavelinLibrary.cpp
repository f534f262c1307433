#include "adapters/ravelin/win32/RavelinLibrary.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "adapters/ravelin/MiddlewareInstallation.h"
#include "adapters/ravelin/RavelinAdapter.h"
#include "adapters/ravelin/win32/MiddlewareDeployment.h"
#include "adapters/ravelin/win32/Win32CertificateReader.h"
#include "adapters/ravelin/win32/Win32KeyLock.h"
#include "adapters/ravelin/win32/Win32KeyMessages.h"
#include "adapters/ravelin/win32/Win32MiddlewareSystem.h"
#include "adapters/ravelin/win32/Win32TokenManager.h"
#include "platform/win32/UniqueHandles.h"
#include "platform/win32/Win32Clock.h"

// Why the token manager is loaded per export rather than at load:
// - loading a library (and running its start-up code) inside the loader's attach
//   notification is what Windows warns against; so attach only writes the files (kernel32
//   calls) and checks, from a mapping of the file, that the token manager is an image of
//   this architecture exporting every entry point: a missing or broken one still refuses
//   the load, without any of its code running under the loader's lock;
// - a library freed inside the detach notification is only unmapped after that
//   notification ends, so its file could never be deleted there; with the token manager
//   loaded only during each export, nothing of the private folder is in use at unload and
//   the folder is emptied.
// Each export establishes and releases its own context and keeps nothing open between
// calls, so the token manager has no state to lose between them.

namespace tessaly::ravelin::win32 {
namespace {

// The services of one loaded copy of the library, made at attach.
struct Library {
  explicit Library(HMODULE module) : self(module), messages(module) {}
  HMODULE self;
  std::string folder = PrivateFolder();
  std::atomic<bool> bindingFailureShown{false};
  std::once_flag lockOnce;
  std::unique_ptr<Win32KeyLock> lock;
  Win32MiddlewareSystem system;
  MiddlewareInstallation middleware{system};
  Win32CertificateReader certificates;
  tessaly::win32::Win32Clock clock;
  Win32KeyMessages messages;
};

Library* library = nullptr;

std::string TokenManagerPath() { return library->folder + "\\TokenMgr.dll"; }

// At attach this runs inside the loader's notification: the box is shown only when the
// process has user32 already, so no library is loaded for it there.
void ShowBindingFailure(HMODULE self) {
  using MessageBoxFn = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  const auto messageBox = user32 == nullptr
                              ? nullptr
                              : reinterpret_cast<MessageBoxFn>(reinterpret_cast<void*>(
                                    GetProcAddress(user32, "MessageBoxW")));
  if (messageBox != nullptr) {
    const std::wstring text(kBindingFailedText.begin(), kBindingFailedText.end());
    messageBox(nullptr, text.c_str(), LibraryTitle(self).c_str(), MB_OK);
  }
}

}  // namespace

bool AttachLibrary(HMODULE self) {
  auto attached = std::make_unique<Library>(self);
  if (!DeployMiddleware(self, attached->folder)) {
    return false;
  }
  if (!ExportsTokenManagerEntryPoints(attached->folder + "\\TokenMgr.dll")) {
    ShowBindingFailure(self);
    RemoveMiddlewareFiles(attached->folder);
    return false;
  }
  library = attached.release();
  return true;
}

void DetachLibrary() {
  if (library == nullptr) {
    return;
  }
  RemoveMiddlewareFiles(library->folder);
  delete library;
  library = nullptr;
}

std::int32_t WithAdapter(std::int32_t failure,
                         const std::function<std::int32_t(RavelinAdapter&)>& call) {
  if (library == nullptr) {
    return failure;
  }
  const tessaly::win32::unique_hmodule module(LoadLibraryA(TokenManagerPath().c_str()));
  const std::optional<TokenManagerEntryPoints> entries =
      module ? BindEntryPoints(module.get()) : std::nullopt;
  if (!entries) {
    if (!library->bindingFailureShown.exchange(true)) {
      ShowBindingFailure(library->self);
    }
    return failure;
  }
  std::call_once(library->lockOnce, [] { library->lock = std::make_unique<Win32KeyLock>(); });
  Win32TokenManager tokens(*entries);
  RavelinAdapter adapter({tokens, *library->lock, library->certificates, library->messages,
                          library->middleware, library->clock});
  return call(adapter);
}

}  // namespace tessaly::ravelin::win32
