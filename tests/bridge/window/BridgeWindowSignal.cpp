// The browser tests' hand on the real program window, which they cannot reach from Linux:
//   bridge_window_signal command ID   posts the tray menu command ID (WM_COMMAND)
//   bridge_window_signal tray MOUSE   sends the tray icon's callback message (0x201: click)
//   bridge_window_signal state        prints "visible=V toolwindow=T appwindow=A"
// It waits up to ten seconds for the window ("#32770", "Tessaly"); exit status 2 when
// there is none, 1 for bad arguments.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string_view>

namespace {

HWND FindProgramWindow() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (const HWND window = FindWindowW(L"#32770", L"Tessaly")) {
      return window;
    }
    Sleep(100);
  }
  return nullptr;
}

}  // namespace

int wmain(int count, wchar_t** arguments) {
  if (count < 2) {
    return 1;
  }
  const std::wstring_view verb = arguments[1];
  const HWND window = FindProgramWindow();
  if (window == nullptr) {
    std::fputs("no program window\n", stderr);
    return 2;
  }
  if (verb == L"state") {
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
    std::printf("visible=%d toolwindow=%d appwindow=%d\n", IsWindowVisible(window) ? 1 : 0,
                (style & WS_EX_TOOLWINDOW) != 0 ? 1 : 0, (style & WS_EX_APPWINDOW) != 0 ? 1 : 0);
    return 0;
  }
  if (count < 3) {
    return 1;
  }
  const unsigned long value = std::wcstoul(arguments[2], nullptr, 0);
  if (verb == L"command") {
    return PostMessageW(window, WM_COMMAND, MAKEWPARAM(value, 0), 0) ? 0 : 2;
  }
  if (verb == L"tray") {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, WM_USER + 1, 0, static_cast<LPARAM>(value),
                               SMTO_ABORTIFHUNG, 5000, &ignored) != 0 ? 0 : 2;
  }
  return 1;
}
