// Another program's window: a top-level window whose caption is the first argument, shown
// until it is closed (a close request ends the program with status 3) or, at the latest,
// until the number of seconds of the second argument (default 60) have passed (status 0).
// The tests start it to see that Tessaly leaves a window of the same caption alone.
#include <windows.h>

#include <cwchar>

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr int kExitClosed = 3;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      PostQuitMessage(0);
      return 0;
    case WM_CLOSE:
      PostQuitMessage(kExitClosed);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    return 2;
  }
  const unsigned seconds = argc >= 3 ? static_cast<unsigned>(std::wcstoul(argv[2], nullptr, 10)) : 60;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"TessalyTestCaptionWindow";
  if (RegisterClassW(&windowClass) == 0) {
    return 1;
  }
  const HWND window = CreateWindowExW(0, windowClass.lpszClassName, argv[1], WS_OVERLAPPEDWINDOW,
                                      40, 40, 300, 120, nullptr, nullptr, windowClass.hInstance,
                                      nullptr);
  if (window == nullptr) {
    return 1;
  }
  ShowWindow(window, SW_SHOWNORMAL);
  SetTimer(window, kLifetimeTimer, seconds * 1000, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    DispatchMessageW(&message);
  }
  DestroyWindow(window);
  return static_cast<int>(message.wParam);
}
