#pragma once

#include <windows.h>
#include <oaidl.h>

#include "diagnosis/PageSink.h"
#include "shell/core/ProgramCore.h"

namespace tessaly::win32 {

// Where the main window's page lives when it is not the WebBrowser control inside the
// window: the development bridge shows it in an outside browser. The window, its tray
// icon, "/hide", the second start and the core stay the same; only the page moves.
class PageRealisation {
 public:
  virtual ~PageRealisation() = default;
  // The page's script functions, as the core calls them.
  virtual PageSink& Page() = 0;
  // The window is initialised and the core composed: from now on the page may call the
  // methods of `external`, on the GUI thread of `window`. Called once.
  virtual void Start(HWND window, IDispatch& external, ProgramCore& core) = 0;
  // The window is being destroyed; nothing of the window or core may be used after this.
  virtual void Stop() = 0;
};

}  // namespace tessaly::win32
