#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "shell/ProgressDialog.h"

namespace tessaly {

// A progress window host that writes everything done to its window into one transcript,
// one readable line per call: "make", "open TITLE|TEXT", "texts TITLE|TEXT", "repaint",
// "pause MS", "destroy". Only calls that change or show something are written; the
// questions (IsOpen, Caption) are not.
class FakeProgressDialogHost final : public ProgressDialogHost {
 public:
  // The next Open fails (the template is missing, the system has no room for a window).
  bool failOpen = false;
  std::vector<std::string> transcript;

  std::unique_ptr<ProgressDialog> MakeDialog() override;
  void Pause(std::uint32_t milliseconds) override;
  int dialogsMade() const { return dialogsMade_; }
  // The caption and label on screen; empty without a window.
  std::u16string caption() const { return caption_; }
  std::u16string label() const { return label_; }
  bool windowOpen() const { return open_; }

 private:
  friend class FakeProgressDialog;
  int dialogsMade_ = 0;
  bool open_ = false;
  std::u16string caption_;
  std::u16string label_;
};

}  // namespace tessaly
