#include "shell/win32/TessalyDlg.h"

#include <mshtml.h>
#include <ocidl.h>

#include <utility>

#include "platform/win32/Win32ProgramPath.h"
#include "resources/program/ProgramWindowResources.h"
#include "resources/StringTable.h"
#include "shell/WindowInput.h"
#include "shell/ZoneZeroSwitch.h"
#include "shell/win32/ExternalDispatch.h"
#include "shell/win32/MainWindowMark.h"
#include "shell/win32/TopLevelWindow.h"

namespace tessaly::win32 {
namespace {

constexpr int kWindowWidth = 650;
constexpr int kWindowHeight = 534;
constexpr UINT kTrayIconId = 128;
// The page is the program file's HTML resource 104; its assets resolve against this
// address to their own resources (cmake/PageResources.cmake).
std::u16string PageAddress() { return u"res://" + ModuleFilePath() + u"/104"; }

}  // namespace

CTessalyDlg::CTessalyDlg(HINSTANCE module, std::span<const std::u16string> arguments,
                         std::u16string applicationName, PageRealisation* outsidePage)
    : module_(module),
      // Only the first argument counts, compared exactly.
      hideRequested_(arguments.size() >= 2 && arguments[1] == u"/hide"),
      services_(std::move(applicationName)),
      prompts_(module, kStringProgramTitle),
      page_([this] { return PageScript(); }),
      outsidePage_(outsidePage),
      downloadingBox_(module) {}

CTessalyDlg::~CTessalyDlg() {
  if (window_ != nullptr) {
    DestroyWindow(window_);
  }
  core_.reset();
  if (external_ != nullptr) {
    external_->Release();
  }
  if (site_ != nullptr) {
    site_->Detach();
    site_->Release();
  }
}

bool CTessalyDlg::Create() {
  window_ = CreateDialogParamW(module_, MAKEINTRESOURCEW(IDD_MAIN_WINDOW), nullptr,
                               &CTessalyDlg::DialogProc, reinterpret_cast<LPARAM>(this));
  if (window_ == nullptr) {
    return false;
  }
  if (!startedHidden_) {
    ShowWindow(window_, SW_SHOW);
  }
  return true;
}

int CTessalyDlg::RunUntilClosed() {
  MSG message;
  while (window_ != nullptr) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      break;
    }
    if (!PreTranslateMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return 0;
}

int CTessalyDlg::DoModal() { return Create() ? RunUntilClosed() : -1; }

bool CTessalyDlg::StopWorkers(DWORD limitMs) {
  constexpr DWORD kPollMs = 50;
  services_.StopForExit();
  prompts_.DismissAll();
  if (!core_) {
    return true;
  }
  for (DWORD waited = 0; core_->WorkersRunning(); waited += kPollMs) {
    if (waited >= limitMs) {
      return false;
    }
    Sleep(kPollMs);
  }
  return true;
}

INT_PTR CALLBACK CTessalyDlg::DialogProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CTessalyDlg*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    dialog->window_ = window;
    dialog->OnInitDialog();
    return TRUE;
  }
  auto* dialog = reinterpret_cast<CTessalyDlg*>(GetWindowLongPtrW(window, DWLP_USER));
  return dialog != nullptr ? dialog->OnMessage(message, wParam, lParam) : FALSE;
}

void CTessalyDlg::OnInitDialog() {
  const ProgramPlatform platform = services_.Platform();
  SetZoneZeroSwitch(platform.registry);
  timers_ = std::make_unique<WindowTimerService>(window_);
  prompts_.SetMainWindow(window_);
  // The settings key is opened (and on the first run created) as the core is composed.
  PageSink& page = outsidePage_ != nullptr ? outsidePage_->Page() : page_;
  core_ = std::make_unique<ProgramCore>(platform, ProgramHost{*timers_, page, prompts_, *this});
  downloadingBox_.BindTo(core_->shellOperations());
  external_ = new ExternalDispatch(*core_);
  if (outsidePage_ != nullptr) {
    outsidePage_->Start(window_, *external_, *core_);
  } else {
    CreateBrowser();
  }
  const HICON icon = LoadIconW(module_, MAKEINTRESOURCEW(IDR_APP_ICON));
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  AddTrayIcon();
  SetWindowPos(window_, nullptr, 0, 0, kWindowWidth, kWindowHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  core_->state().completionNotice = false;
  core_->state().checkAfterUserType = false;
  startedHidden_ = false;
  if (hideRequested_) {
    HideAtStart();
  }
  SetWindowTextW(window_, kMainWindowTitle);
  MarkAsMainWindow(window_);
  core_->StartConfigWorker();
}

void CTessalyDlg::HideAtStart() {
  savedPlacement_.length = sizeof(savedPlacement_);
  GetWindowPlacement(window_, &savedPlacement_);
  WINDOWPLACEMENT hidden = savedPlacement_;
  hidden.showCmd = SW_HIDE;
  SetWindowPlacement(window_, &hidden);
  const LONG_PTR style = GetWindowLongPtrW(window_, GWL_EXSTYLE);
  SetWindowLongPtrW(window_, GWL_EXSTYLE, (style & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
  startedHidden_ = true;
}

void CTessalyDlg::CreateBrowser() {
  site_ = new BrowserSite(*this);
  IOleObject* object = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&object)))) {
    return;  // no browser control: the window, the tray and the core still work
  }
  browserObject_.reset(object);
  RECT client;
  GetClientRect(window_, &client);
  if (FAILED(browserObject_->SetClientSite(static_cast<IOleClientSite*>(site_))) ||
      FAILED(OleSetContainedObject(browserObject_.get(), TRUE)) ||
      FAILED(browserObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                                    static_cast<IOleClientSite*>(site_), 0, window_, &client))) {
    CloseBrowser();
    return;
  }
  IWebBrowser2* browser = nullptr;
  if (FAILED(browserObject_->QueryInterface(IID_IWebBrowser2,
                                            reinterpret_cast<void**>(&browser)))) {
    CloseBrowser();
    return;
  }
  browser_.reset(browser);
  site_->SetBrowser(browser_.get());
  IConnectionPointContainer* container = nullptr;
  if (SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                         reinterpret_cast<void**>(&container)))) {
    const unique_com_ptr<IConnectionPointContainer> owned(container);
    IConnectionPoint* point = nullptr;
    if (SUCCEEDED(owned->FindConnectionPoint(DIID_DWebBrowserEvents2, &point))) {
      const unique_com_ptr<IConnectionPoint> ownedPoint(point);
      ownedPoint->Advise(static_cast<IDispatch*>(site_), &eventsCookie_);
    }
  }
  // Script errors stay visible: the browser's silent mode is left off.
  std::u16string address = PageAddress();
  BSTR url = SysAllocString(reinterpret_cast<const OLECHAR*>(address.c_str()));
  if (url != nullptr) {
    browser_->Navigate(url, nullptr, nullptr, nullptr, nullptr);
    SysFreeString(url);
  }
}

void CTessalyDlg::CloseBrowser() {
  if (browser_ && eventsCookie_ != 0) {
    IConnectionPointContainer* container = nullptr;
    if (SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                           reinterpret_cast<void**>(&container)))) {
      const unique_com_ptr<IConnectionPointContainer> owned(container);
      IConnectionPoint* point = nullptr;
      if (SUCCEEDED(owned->FindConnectionPoint(DIID_DWebBrowserEvents2, &point))) {
        const unique_com_ptr<IConnectionPoint> ownedPoint(point);
        ownedPoint->Unadvise(eventsCookie_);
      }
    }
    eventsCookie_ = 0;
  }
  if (site_ != nullptr) {
    site_->SetBrowser(nullptr);
  }
  browser_.reset();
  if (browserObject_) {
    browserObject_->Close(OLECLOSE_NOSAVE);
    browserObject_->SetClientSite(nullptr);
    browserObject_.reset();
  }
}

unique_com_ptr<IDispatch> CTessalyDlg::PageScript() const {
  if (!browser_) {
    return nullptr;
  }
  IDispatch* document = nullptr;
  if (FAILED(browser_->get_Document(&document)) || document == nullptr) {
    return nullptr;
  }
  const unique_com_ptr<IDispatch> ownedDocument(document);
  IHTMLDocument2* html = nullptr;
  if (FAILED(document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&html)))) {
    return nullptr;
  }
  const unique_com_ptr<IHTMLDocument2> ownedHtml(html);
  IDispatch* script = nullptr;
  if (FAILED(ownedHtml->get_Script(&script))) {
    return nullptr;
  }
  return unique_com_ptr<IDispatch>(script);
}

void CTessalyDlg::AddTrayIcon() {
  trayIcon_.cbSize = sizeof(trayIcon_);
  trayIcon_.hWnd = window_;
  trayIcon_.uID = kTrayIconId;
  trayIcon_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  trayIcon_.uCallbackMessage = kTrayMessage;
  trayIcon_.hIcon = LoadIconW(module_, MAKEINTRESOURCEW(IDI_TRAY_ICON));
  lstrcpynW(trayIcon_.szTip, kMainWindowTitle, ARRAYSIZE(trayIcon_.szTip));
  trayAdded_ = Shell_NotifyIconW(NIM_ADD, &trayIcon_) != FALSE;
}

void CTessalyDlg::RemoveTrayIcon() {
  if (trayAdded_) {
    Shell_NotifyIconW(NIM_DELETE, &trayIcon_);
    trayAdded_ = false;
  }
}

void CTessalyDlg::OnTrayNotification(LPARAM mouseMessage) {
  if (mouseMessage == kTrayLeftButtonDown) {
    core_->RestoreWindow();
  } else if (mouseMessage == kTrayRightButtonUp) {
    ShowTrayMenu();
  }
}

void CTessalyDlg::ShowTrayMenu() {
  const HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(IDR_TRAY_MENU));
  if (menu == nullptr) {
    return;
  }
  POINT cursor{};
  GetCursorPos(&cursor);
  // Without the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(window_);
  TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0,
                 window_, nullptr);
  DestroyMenu(menu);
}

bool CTessalyDlg::PreTranslateMessage(MSG& message) {
  if (window_ == nullptr) {
    return false;
  }
  if (message.message == WM_LBUTTONDOWN) {
    POINT cursor{};
    GetCursorPos(&cursor);
    POINT client = cursor;
    ScreenToClient(window_, &client);
    RECT area;
    GetClientRect(window_, &area);
    if (PtInRect(&area, client)) {
      const LPARAM at = MAKELPARAM(cursor.x, cursor.y);
      switch (ClassifyBandPress(client.x, client.y)) {
        case BandPress::MoveNow:
          SendMessageW(window_, WM_NCLBUTTONDOWN, HTCAPTION, at);
          break;
        case BandPress::MoveAfterPage:
          PostMessageW(window_, WM_NCLBUTTONDOWN, HTCAPTION, at);
          break;
        case BandPress::LeaveToPage:
          break;
      }
    }
  }
  if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST && browser_) {
    IOleInPlaceActiveObject* active = nullptr;
    if (SUCCEEDED(browser_->QueryInterface(IID_IOleInPlaceActiveObject,
                                           reinterpret_cast<void**>(&active)))) {
      const unique_com_ptr<IOleInPlaceActiveObject> owned(active);
      if (owned->TranslateAccelerator(&message) == S_OK) {
        return true;
      }
    }
  }
  return false;
}

bool CTessalyDlg::WithholdsKey(const MSG& message) const {
  return message.message == WM_KEYDOWN &&
         IsKeyWithheldFromPage(static_cast<std::uint32_t>(message.wParam),
                               (GetKeyState(VK_CONTROL) & 0x8000) != 0);
}

IDispatch* CTessalyDlg::ExternalObject() {
  if (external_ != nullptr) {
    external_->AddRef();
  }
  return external_;
}

void CTessalyDlg::OnDocumentComplete() { core_->OnPageLoaded(); }

INT_PTR CTessalyDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  static const UINT closeRequest = RegisterWindowMessageW(kCloseRequestMessage);
  if (timers_ && timers_->HandleMessage(message, wParam, lParam)) {
    return TRUE;
  }
  if (closeRequest != 0 && message == closeRequest) {
    Close();
    return TRUE;
  }
  switch (message) {
    case WM_TIMER:
      core_->OnTimer(static_cast<int>(wParam));
      return TRUE;
    case kTrayMessage:
      OnTrayNotification(lParam);
      return TRUE;
    case WM_COMMAND:
      core_->OnTrayCommand(LOWORD(wParam));
      return TRUE;
    case WM_SIZE:
      if (browserObject_) {
        IOleInPlaceObject* inPlace = nullptr;
        if (SUCCEEDED(browserObject_->QueryInterface(IID_IOleInPlaceObject,
                                                     reinterpret_cast<void**>(&inPlace)))) {
          const unique_com_ptr<IOleInPlaceObject> owned(inPlace);
          RECT client;
          GetClientRect(window_, &client);
          owned->SetObjectRects(&client, &client);
        }
      }
      return FALSE;
    case WM_CLOSE:
      DestroyWindow(window_);
      return TRUE;
    case WM_DESTROY:
      UnmarkMainWindow(window_);
      prompts_.SetMainWindow(nullptr);  // a worker's prompt no longer has this owner
      RemoveTrayIcon();
      if (outsidePage_ != nullptr) {
        outsidePage_->Stop();
      }
      CloseBrowser();
      SetWindowLongPtrW(window_, DWLP_USER, 0);
      window_ = nullptr;
      return TRUE;
    default:
      return FALSE;
  }
}

void CTessalyDlg::Hide() { ShowWindow(window_, SW_HIDE); }

// Posted rather than sent: the page's script call that asked for it is still running
// inside the browser, which must not be torn down under it.
void CTessalyDlg::Close() { PostMessageW(window_, WM_CLOSE, 0, 0); }

void CTessalyDlg::Minimise() { ShowWindow(window_, SW_MINIMIZE); }

void CTessalyDlg::Restore() {
  if (startedHidden_) {
    // The taskbar decides on a button when the window becomes visible: the style is
    // swapped while it is still hidden (the saved placement is applied hidden too), and
    // only then is it shown.
    WINDOWPLACEMENT placement = savedPlacement_;
    placement.showCmd = SW_HIDE;
    SetWindowPlacement(window_, &placement);
    CentreOnWorkArea(window_);
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_EXSTYLE);
    SetWindowLongPtrW(window_, GWL_EXSTYLE, (style & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW);
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    startedHidden_ = false;
    return;
  }
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
}

void CTessalyDlg::ShowMessage(std::u16string_view text, std::u16string_view caption) {
  const std::u16string body(text);
  const std::u16string title(caption);
  MessageBoxW(window_, reinterpret_cast<const wchar_t*>(body.c_str()),
              reinterpret_cast<const wchar_t*>(title.c_str()), MB_OK);
}

}  // namespace tessaly::win32
