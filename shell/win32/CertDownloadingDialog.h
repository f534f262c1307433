#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "shell/ProgressDialog.h"

namespace tessaly::win32 {

// The certificate-download progress window: a modeless dialog from template 161 of the
// program's resources, without owner, whose only control is the label 1000. The user cannot
// close it: its Close item is disabled and the close requests it still gets (Alt+F4, Esc)
// are ignored; only Destroy ends it. The object lives for the rest of the run; its window
// is created and destroyed many times.
class CertDownloadingDialog final : public ProgressDialog {
 public:
  // `module` holds the template.
  explicit CertDownloadingDialog(HINSTANCE module) : module_(module) {}
  ~CertDownloadingDialog() override;
  CertDownloadingDialog(const CertDownloadingDialog&) = delete;
  CertDownloadingDialog& operator=(const CertDownloadingDialog&) = delete;

  bool Open(std::u16string_view title, std::u16string_view text) override;
  bool IsOpen() const override { return window_ != nullptr; }
  std::u16string Caption() const override;
  void SetTexts(std::u16string_view title, std::u16string_view text) override;
  void RepaintNow() override;
  void Destroy() override;

  HWND window() const { return window_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog(HWND window);

  HINSTANCE module_;
  HWND window_ = nullptr;
  HWND messageLabel_ = nullptr;
  // The caption and label the next window is created with.
  std::u16string titleText_;
  std::u16string messageText_;
};

// Makes the progress window from `module`'s template and waits with the thread's sleep.
class Win32ProgressDialogHost final : public ProgressDialogHost {
 public:
  explicit Win32ProgressDialogHost(HINSTANCE module) : module_(module) {}

  std::unique_ptr<ProgressDialog> MakeDialog() override;
  void Pause(std::uint32_t milliseconds) override;

 private:
  HINSTANCE module_;
};

}  // namespace tessaly::win32
