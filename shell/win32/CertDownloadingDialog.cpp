#include "shell/win32/CertDownloadingDialog.h"

#include "platform/win32/WideText.h"
#include "resources/program/ProgramWindowResources.h"
#include "shell/win32/TopLevelWindow.h"

namespace tessaly::win32 {
namespace {

void SetText(HWND window, std::u16string_view text) {
  const std::u16string owned(text);
  SetWindowTextW(window, AsWide(owned));
}

}  // namespace

CertDownloadingDialog::~CertDownloadingDialog() { Destroy(); }

bool CertDownloadingDialog::Open(std::u16string_view title, std::u16string_view text) {
  if (window_ != nullptr) {
    return false;
  }
  titleText_ = title;
  messageText_ = text;
  if (CreateDialogParamW(module_, MAKEINTRESOURCEW(IDD_CERT_DOWNLOADING), nullptr,
                         &CertDownloadingDialog::DialogProc,
                         reinterpret_cast<LPARAM>(this)) == nullptr) {
    window_ = nullptr;
    messageLabel_ = nullptr;
    return false;
  }
  ShowWindow(window_, SW_SHOWNORMAL);
  return true;
}

std::u16string CertDownloadingDialog::Caption() const {
  return window_ != nullptr ? WindowText(window_) : std::u16string();
}

void CertDownloadingDialog::SetTexts(std::u16string_view title, std::u16string_view text) {
  if (window_ == nullptr) {
    return;
  }
  SetText(window_, title);
  if (messageLabel_ != nullptr) {
    SetText(messageLabel_, text);
  }
}

void CertDownloadingDialog::RepaintNow() {
  if (window_ != nullptr) {
    RedrawWindow(window_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
}

void CertDownloadingDialog::Destroy() {
  if (window_ != nullptr) {
    DestroyWindow(window_);
  }
  window_ = nullptr;
  messageLabel_ = nullptr;
}

INT_PTR CALLBACK CertDownloadingDialog::DialogProc(HWND window, UINT message, WPARAM wParam,
                                                   LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CertDownloadingDialog*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    dialog->OnInitDialog(window);
    return TRUE;
  }
  auto* dialog = reinterpret_cast<CertDownloadingDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  switch (message) {
    case WM_CLOSE:
      return TRUE;  // only the page ends the window
    case WM_COMMAND:
      // Esc and Enter reach a dialog as IDCANCEL and IDOK; neither may end this one.
      return LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK;
    case WM_NCDESTROY:
      if (dialog != nullptr) {
        dialog->window_ = nullptr;
        dialog->messageLabel_ = nullptr;
      }
      SetWindowLongPtrW(window, DWLP_USER, 0);
      return FALSE;
    default:
      return FALSE;
  }
}

void CertDownloadingDialog::OnInitDialog(HWND window) {
  window_ = window;
  messageLabel_ = GetDlgItem(window, IDC_DOWNLOADING_MESSAGE);
  const HMENU systemMenu = GetSystemMenu(window, FALSE);
  if (systemMenu != nullptr) {
    EnableMenuItem(systemMenu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  }
  SetText(window, titleText_);
  if (messageLabel_ != nullptr) {
    SetText(messageLabel_, messageText_);
  }
  CentreOnWorkArea(window);
}

std::unique_ptr<ProgressDialog> Win32ProgressDialogHost::MakeDialog() {
  return std::make_unique<CertDownloadingDialog>(module_);
}

void Win32ProgressDialogHost::Pause(std::uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace tessaly::win32
