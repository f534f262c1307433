#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "shell/ProgressDialog.h"

namespace tessaly {

// How long every text of the progress window stays readable: the page's script is held
// this long after each mode-1 and mode-2 call.
inline constexpr std::uint32_t kProgressReadableMs = 1000;

// The page method `downloadingBox` (mode, title, text): the certificate-download progress
// window that the page opens while the certificate server works.
//
//   1  opens the window with the caption and the label (the dialog object is made on the
//      first call and kept for the rest of the run), then refreshes;
//   2  retitles the open window and sets its label, then refreshes;
//   0  destroys the window when its caption equals `title`;
//   any other mode does nothing.
//
// Refreshing repaints the window at once and then holds the GUI thread for
// kProgressReadableMs.
//
// Mode 0 looks at this program's own window only. A window of another program that
// happens to carry the same caption is never asked to close: the page cannot mean it, and
// closing it could lose that program's work.
//
// Calls the page does not make are answered soundly: mode 1 while the window is open
// retitles it (there is only ever one window, never an orphaned second one); mode 2
// without a window, and a window that cannot be created, show nothing and hold nothing.
class DownloadingBox {
 public:
  explicit DownloadingBox(ProgressDialogHost& host) : host_(host) {}

  void Run(std::int32_t mode, std::u16string_view title, std::u16string_view text);

 private:
  void Open(std::u16string_view title, std::u16string_view text);
  void Retitle(std::u16string_view title, std::u16string_view text);
  void CloseIfCaptioned(std::u16string_view title);
  void Refresh();

  ProgressDialogHost& host_;
  std::unique_ptr<ProgressDialog> dialog_;  // certDownloadDialog: made by the first mode 1
};

}  // namespace tessaly
