#pragma once

#include <windows.h>

namespace tessaly::win32 {

// The program's main window carries this window property (value 1) for its whole life, so
// that another process can find it among the program's other dialogs: its message boxes and
// task dialogs are "#32770" windows titled "Tessaly" as well. A second start finds it to
// bring it forward; an installer may find it to ask the program to close, by sending it
// WM_CLOSE, which ends the program as the tray's "退出" does.
inline constexpr wchar_t kMainWindowProperty[] =
    L"Tessaly.MainWindow.9B4BFD6D-8E84-4680-BCD1-99FCD2D5ADE0";
// The registered window message (RegisterWindowMessage) that the main window alone answers
// by closing, as the tray's "退出" does: an installer that cannot look for window
// properties posts it to HWND_BROADCAST. The program has ended once its instance mutex
// ("Local\9B4BFD6D-8E84-4680-BCD1-99FCD2D5ADE0") can no longer be opened.
inline constexpr wchar_t kCloseRequestMessage[] =
    L"Tessaly.Close.9B4BFD6D-8E84-4680-BCD1-99FCD2D5ADE0";

// Marks `window` as the main window; the mark must be taken off before it is destroyed.
void MarkAsMainWindow(HWND window);
void UnmarkMainWindow(HWND window);

// The marked main window of the running program (of any process of this desktop), or null.
HWND FindMainWindow();

}  // namespace tessaly::win32
