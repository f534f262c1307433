#pragma once

#include <windows.h>
#include <exdisp.h>
#include <shellapi.h>

#include <memory>
#include <span>
#include <string>

#include "platform/win32/UniqueComPtr.h"
#include "platform/win32/Win32Prompts.h"
#include "platform/win32/WindowTimerService.h"
#include "shell/ProgramWindow.h"
#include "shell/core/ProgramCore.h"
#include "shell/win32/BrowserSite.h"
#include "shell/win32/DownloadingBoxBinding.h"
#include "shell/win32/PageRealisation.h"
#include "shell/win32/ScriptPageSink.h"
#include "shell/win32/Win32ProgramServices.h"

namespace tessaly::win32 {

// The tray icon's callback message; a second start of the program sends it too.
inline constexpr UINT kTrayMessage = WM_USER + 1;
inline constexpr LPARAM kTrayLeftButtonDown = 0x201;
inline constexpr LPARAM kTrayRightButtonUp = 0x205;
inline constexpr wchar_t kMainWindowTitle[] = L"Tessaly";

// The program's main window: a dialog from template 102, resized to 650 x 534, whose
// client area is the WebBrowser control showing page 104 from the program's own file. It
// hosts the program core: the page's `external` object is the core's method table, the
// page's script functions are its PageSink, the window's timers drive its diagnosis. It
// also owns the tray icon, the "/hide" start and the title-band drag.
class CTessalyDlg final : private ProgramWindow, private BrowserSiteOwner {
 public:
  // `arguments` is the whole command line split, the program's name first. The page is
  // the browser control's unless `outsidePage` realises it elsewhere (it must outlive the
  // window).
  CTessalyDlg(HINSTANCE module, std::span<const std::u16string> arguments,
              std::u16string applicationName, PageRealisation* outsidePage = nullptr);
  ~CTessalyDlg() override;
  CTessalyDlg(const CTessalyDlg&) = delete;
  CTessalyDlg& operator=(const CTessalyDlg&) = delete;

  // Creates and initialises the window (hidden or shown); false when it cannot be created.
  bool Create();
  // Runs the thread's messages until the window is destroyed.
  int RunUntilClosed();
  // Creates the window and runs it; the program's whole visible life.
  int DoModal();
  // Once the window is gone: stops the workers' downloads, refuses new processes, answers
  // open prompts with their stop choice, and waits up to `limitMs` for the workers to end.
  // False when one still runs (it waits for an installer, say); this object must then not
  // be destroyed, since the worker uses it: the process ends instead.
  bool StopWorkers(DWORD limitMs);

  HWND window() const { return window_; }
  bool startedHidden() const { return startedHidden_; }
  bool hasTrayIcon() const { return trayAdded_; }
  bool hasBrowser() const { return static_cast<bool>(browser_); }
  // What the window does with a queued message before it is dispatched; true when the
  // message has been fully handled.
  bool PreTranslateMessage(MSG& message);

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog();
  void HideAtStart();
  void CreateBrowser();
  void CloseBrowser();
  void AddTrayIcon();
  void RemoveTrayIcon();
  void OnTrayNotification(LPARAM mouseMessage);
  void ShowTrayMenu();
  unique_com_ptr<IDispatch> PageScript() const;

  // ProgramWindow
  void Hide() override;
  void Close() override;
  void Minimise() override;
  void Restore() override;
  void ShowMessage(std::u16string_view text, std::u16string_view caption) override;

  // BrowserSiteOwner
  HWND SiteWindow() const override { return window_; }
  IDispatch* ExternalObject() override;
  bool WithholdsKey(const MSG& message) const override;
  void OnDocumentComplete() override;

  HINSTANCE module_;
  bool hideRequested_;
  Win32ProgramServices services_;
  Win32Prompts prompts_;
  ScriptPageSink page_;
  PageRealisation* outsidePage_;
  HWND window_ = nullptr;
  std::unique_ptr<WindowTimerService> timers_;
  std::unique_ptr<ProgramCore> core_;
  DownloadingBoxBinding downloadingBox_;
  IDispatch* external_ = nullptr;  // our own reference, released in the destructor
  BrowserSite* site_ = nullptr;    // likewise
  unique_com_ptr<IOleObject> browserObject_;
  unique_com_ptr<IWebBrowser2> browser_;
  DWORD eventsCookie_ = 0;
  NOTIFYICONDATAW trayIcon_{};
  bool trayAdded_ = false;
  bool startedHidden_ = false;
  WINDOWPLACEMENT savedPlacement_{};
};

}  // namespace tessaly::win32
