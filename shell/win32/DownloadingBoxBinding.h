#pragma once

#include <windows.h>

#include "shell/DownloadingBox.h"
#include "shell/ShellOperations.h"
#include "shell/win32/CertDownloadingDialog.h"

namespace tessaly::win32 {

// The page method `downloadingBox` with the real progress window, for any host that shows
// windows (the program's main window, the development bridge): compose one, bind it to the
// core's shell operations, and keep it as long as the core.
class DownloadingBoxBinding {
 public:
  // `module` holds dialog template 161.
  explicit DownloadingBoxBinding(HINSTANCE module) : host_(module), box_(host_) {}
  DownloadingBoxBinding(const DownloadingBoxBinding&) = delete;
  DownloadingBoxBinding& operator=(const DownloadingBoxBinding&) = delete;

  void BindTo(ShellOperations& operations) {
    operations.downloadingBox = [this](std::int32_t mode, std::u16string_view title,
                                       std::u16string_view text) { box_.Run(mode, title, text); };
  }

 private:
  Win32ProgressDialogHost host_;
  DownloadingBox box_;
};

}  // namespace tessaly::win32
