#pragma once

#include <windows.h>

#include <string>

namespace tessaly::win32 {

// What the program's top-level windows (the main window, the progress window) share.

// Centres the window on the work area of its monitor (the primary one when it is on none),
// keeping its size and z-order.
void CentreOnWorkArea(HWND window);

// The window's text (a top-level window's caption, a control's label) as it is now,
// however long; empty when it has none.
std::u16string WindowText(HWND window);

}  // namespace tessaly::win32
