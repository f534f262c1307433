#pragma once

#include <string_view>

namespace tessaly {

// What the program core asks of the host's main window. The real window, the development
// bridge and the console each realise it; all calls come on the GUI thread.
class ProgramWindow {
 public:
  virtual ~ProgramWindow() = default;
  // Hides the window; it stays reachable through the tray icon.
  virtual void Hide() = 0;
  // Closes the window, which ends the program.
  virtual void Close() = 0;
  virtual void Minimise() = 0;
  // Shows the window normally (restoring a start hidden by "/hide") and brings it to the
  // foreground.
  virtual void Restore() = 0;
  // A modal box owned by the window with an OK button only and no icon.
  virtual void ShowMessage(std::u16string_view text, std::u16string_view caption) = 0;
};

}  // namespace tessaly
