#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tessaly {

// The certificate-download progress window as the page's rules see it: one object whose
// window is created and destroyed many times. All calls come on the GUI thread.
class ProgressDialog {
 public:
  virtual ~ProgressDialog() = default;
  // Creates the window (modeless, without owner) with `title` as its caption and `text` as
  // its label, centred, its Close item disabled, and shows it normally. False when it cannot
  // be created; an existing window is never replaced.
  virtual bool Open(std::u16string_view title, std::u16string_view text) = 0;
  virtual bool IsOpen() const = 0;
  // The window's caption as it is now; empty without a window.
  virtual std::u16string Caption() const = 0;
  // Sets the caption and the label of the open window.
  virtual void SetTexts(std::u16string_view title, std::u16string_view text) = 0;
  // Repaints the open window at once (invalidate, erase, update now), so that it shows its
  // texts while the GUI thread waits.
  virtual void RepaintNow() = 0;
  // Destroys the window; the object stays for the next Open.
  virtual void Destroy() = 0;
};

// What the progress window needs of its host: the one dialog object, made on first use,
// and a wait on the GUI thread.
class ProgressDialogHost {
 public:
  virtual ~ProgressDialogHost() = default;
  virtual std::unique_ptr<ProgressDialog> MakeDialog() = 0;
  // Blocks the calling (GUI) thread for `milliseconds`.
  virtual void Pause(std::uint32_t milliseconds) = 0;
};

}  // namespace tessaly
