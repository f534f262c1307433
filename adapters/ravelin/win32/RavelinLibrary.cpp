#include "adapters/ravelin/win32/RavelinLibrary.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

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

// How the token manager is bound, and what unload does:
// - attach runs inside the loader's notification, so it only writes the files (kernel32
//   calls) and checks, from a mapping of the file, that the token manager is an image of
//   this architecture exporting every entry point: a missing or broken one still refuses
//   the load, without any of its code running under the loader's lock;
// - the first export call (outside the loader's lock) binds the token manager, once per
//   process: it is loaded by its full path unless an earlier copy of this library in the
//   process loaded it already, and it is never freed, since freeing a library inside the
//   detach notification is not safe; so it stays loaded until the process ends, instead of
//   being loaded and freed at every call;
// - while a copy of this library is loaded and bound, the process holds the private folder's
//   files open against deletion (HoldMiddlewareFiles): another process that loads and
//   unloads the library meanwhile cannot delete them under it, and finds them already there;
// - unload lets those files go and deletes every file of the folder that no other process
//   holds. A library this process still maps is not deleted by Windows either; the next load
//   finds it with the carried contents and keeps it.

namespace tessaly::ravelin::win32 {
namespace {

// The services of one loaded copy of the library, made at attach.
struct Library {
  explicit Library(HMODULE module) : self(module), messages(module) {}
  HMODULE self;
  std::string folder = PrivateFolder();
  std::once_flag bindOnce;
  std::optional<TokenManagerEntryPoints> entries;
  std::vector<tessaly::win32::unique_handle> heldFiles;
  std::unique_ptr<Win32KeyLock> lock;
  Win32MiddlewareSystem system;
  MiddlewareInstallation middleware{system};
  Win32CertificateReader certificates;
  tessaly::win32::Win32Clock clock;
  Win32KeyMessages messages;
};

Library* library = nullptr;

std::string TokenManagerPath() { return library->folder + "\\TokenMgr.dll"; }

// The refused load's message box. Attach runs under the loader's lock, where a message
// box's window and message loop must not run (they load libraries and may wait on threads
// that wait for that lock). So the box is shown by a thread of its own, which starts once
// the lock is released; its code is user32's, since this library is unmapped by then, and
// its texts are in memory of the process, which keeps them for the box. Shown only when the
// process has user32 already, so nothing is loaded for it here.
void ShowBindingFailureLater(HMODULE self) {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  const auto messageBox = user32 == nullptr
                              ? nullptr
                              : reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(
                                    GetProcAddress(user32, "MessageBoxIndirectW")));
  if (messageBox == nullptr) {
    return;
  }
  const std::wstring text(kBindingFailedText.begin(), kBindingFailedText.end());
  const std::wstring caption = LibraryTitle(self);
  const std::size_t textBytes = (text.size() + 1) * sizeof(wchar_t);
  const std::size_t captionBytes = (caption.size() + 1) * sizeof(wchar_t);
  auto* box = static_cast<MSGBOXPARAMSW*>(
      LocalAlloc(LPTR, sizeof(MSGBOXPARAMSW) + textBytes + captionBytes));
  if (box == nullptr) {
    return;
  }
  auto* texts = reinterpret_cast<wchar_t*>(box + 1);
  std::memcpy(texts, text.c_str(), textBytes);
  std::memcpy(texts + text.size() + 1, caption.c_str(), captionBytes);
  box->cbSize = sizeof(MSGBOXPARAMSW);
  box->lpszText = texts;
  box->lpszCaption = texts + text.size() + 1;
  box->dwStyle = MB_OK;
  const HANDLE thread = CreateThread(nullptr, 0, messageBox, box, 0, nullptr);
  if (thread == nullptr) {
    LocalFree(box);
    return;
  }
  CloseHandle(thread);
}

// The first export call's binding: the token manager this process has loaded, or loads now.
bool BindTokenManager() {
  const std::string path = TokenManagerPath();
  HMODULE module = GetModuleHandleA(path.c_str());
  if (module == nullptr) {
    module = LoadLibraryA(path.c_str());  // kept until the process ends, see above
  }
  library->entries = module != nullptr ? BindEntryPoints(module) : std::nullopt;
  if (!library->entries) {
    return false;
  }
  library->heldFiles = HoldMiddlewareFiles(library->folder);
  library->lock = std::make_unique<Win32KeyLock>();
  return true;
}

}  // namespace

bool AttachLibrary(HMODULE self) {
  auto attached = std::make_unique<Library>(self);
  if (!DeployMiddleware(self, attached->folder)) {
    return false;
  }
  if (!ExportsTokenManagerEntryPoints(attached->folder + "\\TokenMgr.dll")) {
    ShowBindingFailureLater(self);
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
  library->heldFiles.clear();
  RemoveMiddlewareFiles(library->folder);
  delete library;
  library = nullptr;
}

std::int32_t WithAdapter(std::int32_t failure,
                         const std::function<std::int32_t(RavelinAdapter&)>& call) {
  if (library == nullptr) {
    return failure;
  }
  std::call_once(library->bindOnce, [] {
    if (!BindTokenManager()) {
      library->messages.ShowNotice(kBindingFailedText);
    }
  });
  if (!library->entries) {
    return failure;
  }
  Win32TokenManager tokens(*library->entries);
  RavelinAdapter adapter({tokens, *library->lock, library->certificates, library->messages,
                          library->middleware, library->clock});
  return call(adapter);
}

}  // namespace tessaly::ravelin::win32
