#include "shell/win32/TessalyApp.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include "platform/win32/UniqueHandles.h"
#include "platform/win32/Win32ProgramPath.h"
#include "shell/win32/MainWindowMark.h"
#include "shell/win32/TessalyDlg.h"

namespace tessaly::win32 {
namespace {

constexpr DWORD kAllWin95Classes = 0xFF;
// Windows may restart the program after an update or a failure (no recovery).
constexpr DWORD kRestartOnly = 0;
constexpr UINT kSignalTimeoutMs = 5000;

// The restart manager exists from Vista on; XP runs without it.
void RegisterForRestart() {
  using RegisterRestart = HRESULT(WINAPI*)(PCWSTR, DWORD);
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) {
    return;
  }
  const auto registerRestart = reinterpret_cast<RegisterRestart>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "RegisterApplicationRestart")));
  if (registerRestart != nullptr) {
    registerRestart(L"", kRestartOnly);
  }
}

// The application name: the program file's name without its extension.
std::u16string ApplicationName() {
  const std::u16string path = ModuleFilePath();
  const std::size_t slash = path.find_last_of(u"\\/");
  std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind(u'.');
  if (dot != std::u16string::npos) {
    name.resize(dot);
  }
  return name;
}

}  // namespace

bool DeleteWhenReleased(const std::u16string& path, std::uint32_t limitMs, std::uint32_t retryMs) {
  const auto* wide = reinterpret_cast<const wchar_t*>(path.c_str());
  for (std::uint32_t waited = 0;; waited += retryMs) {
    if (GetFileAttributesW(wide) == INVALID_FILE_ATTRIBUTES || DeleteFileW(wide)) {
      return true;
    }
    if (waited >= limitMs) {
      return false;
    }
    Sleep(retryMs);
  }
}

bool TakeOverFromEndingInstance(HANDLE mutex, std::uint32_t limitMs) {
  if (mutex == nullptr) {
    return false;
  }
  // The instance holds the mutex until its window has closed and lets go of it, at the
  // latest, when its thread ends: abandoned is as good as released here.
  const DWORD waited = WaitForSingleObject(mutex, limitMs);
  return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

bool SignalRunningInstance() {
  const HWND running = FindMainWindow();
  if (running == nullptr) {
    return false;
  }
  // This process was just started by the user and may take the foreground; the running
  // one, in the background, may not, unless it is given the right to.
  DWORD runningProcess = 0;
  GetWindowThreadProcessId(running, &runningProcess);
  AllowSetForegroundWindow(runningProcess);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(running, kTrayMessage, 0, kTrayLeftButtonDown, SMTO_ABORTIFHUNG,
                      kSignalTimeoutMs, &ignored);
  return true;
}

std::vector<std::u16string> ProgramArguments() {
  std::vector<std::u16string> arguments;
  int count = 0;
  LPWSTR* split = CommandLineToArgvW(GetCommandLineW(), &count);
  if (split == nullptr) {
    return arguments;
  }
  for (int i = 0; i < count; ++i) {
    arguments.emplace_back(reinterpret_cast<const char16_t*>(split[i]));
  }
  LocalFree(split);
  return arguments;
}

int CTessalyApp::Run(HINSTANCE module, const std::vector<std::u16string>& arguments,
                     PageRealisation* outsidePage) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), kAllWin95Classes};
  InitCommonControlsEx(&controls);
  RegisterForRestart();
  const bool afterUpdate = arguments.size() >= 2 && arguments[1] == u"/update";
  if (afterUpdate) {
    DeleteWhenReleased(ModuleFilePath() + u".old", kOldCopyWaitMs, kOldCopyRetryMs);
  }
  const unique_handle mutex(CreateMutexW(nullptr, TRUE, kInstanceMutexName));
  if (GetLastError() == ERROR_ALREADY_EXISTS &&
      !(afterUpdate && TakeOverFromEndingInstance(mutex.get(), kOldInstanceWaitMs))) {
    SignalRunningInstance();
    return 0;
  }
  // The browser control needs OLE on this thread, as a single-threaded apartment.
  const bool ole = SUCCEEDED(OleInitialize(nullptr));
  int status = 0;
  {
    CTessalyDlg dialog(module, arguments, ApplicationName(), outsidePage);
    status = dialog.DoModal();
    if (!dialog.StopWorkers(kWorkerEndLimitMs)) {
      // Closing does not wait for a worker that cannot be stopped: the process ends now,
      // with the worker, instead of holding the instance mutex invisibly. Nothing is left
      // half-written: its downloads were cancelled and discarded, and no process is
      // started any more. The dialog is not destroyed, since the worker uses it. Ended
      // without the libraries' detach notifications: a worker stopped inside WinINet may
      // hold a lock that WinINet's own clean-up would wait for (ExitProcess could hang).
      TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    }
  }
  if (ole) {
    OleUninitialize();
  }
  return status;
}

}  // namespace tessaly::win32
