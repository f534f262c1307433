#include "shell/DownloadingBox.h"

namespace tessaly {
namespace {

enum DownloadingBoxMode : std::int32_t { kClose = 0, kOpen = 1, kRetitle = 2 };

}  // namespace

void DownloadingBox::Run(std::int32_t mode, std::u16string_view title, std::u16string_view text) {
  switch (mode) {
    case kOpen: Open(title, text); return;
    case kRetitle: Retitle(title, text); return;
    case kClose: CloseIfCaptioned(title); return;
    default: return;
  }
}

void DownloadingBox::Open(std::u16string_view title, std::u16string_view text) {
  if (!dialog_) {
    dialog_ = host_.MakeDialog();
    if (!dialog_) {
      return;
    }
  }
  if (dialog_->IsOpen()) {
    Retitle(title, text);
    return;
  }
  if (dialog_->Open(title, text)) {
    Refresh();
  }
}

void DownloadingBox::Retitle(std::u16string_view title, std::u16string_view text) {
  if (!dialog_ || !dialog_->IsOpen()) {
    return;
  }
  dialog_->SetTexts(title, text);
  Refresh();
}

void DownloadingBox::CloseIfCaptioned(std::u16string_view title) {
  if (dialog_ && dialog_->IsOpen() && dialog_->Caption() == title) {
    dialog_->Destroy();
  }
}

void DownloadingBox::Refresh() {
  dialog_->RepaintNow();
  host_.Pause(kProgressReadableMs);
}

}  // namespace tessaly
