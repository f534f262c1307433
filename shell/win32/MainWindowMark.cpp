#include "shell/win32/MainWindowMark.h"

namespace tessaly::win32 {
namespace {

// A window property's value is a handle-sized word; the mark is any non-null value.
const HANDLE kMark = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(1));

BOOL CALLBACK KeepIfMarked(HWND window, LPARAM found) {
  if (GetPropW(window, kMainWindowProperty) == kMark) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

void MarkAsMainWindow(HWND window) { SetPropW(window, kMainWindowProperty, kMark); }

void UnmarkMainWindow(HWND window) { RemovePropW(window, kMainWindowProperty); }

HWND FindMainWindow() {
  HWND found = nullptr;
  EnumWindows(KeepIfMarked, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace tessaly::win32
