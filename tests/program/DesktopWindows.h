#pragma once

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "shell/win32/TopLevelWindow.h"

namespace tessaly::win32 {

// What the tests of the program's own windows need of the desktop (a display must be
// there): finding top-level windows by caption and process, reading their texts, taking a
// picture of one, and answering a dialog the way a user's click would.

// The program file named by TESSALY_PROGRAM loaded for its resources only (the dialog
// templates and the string table); nullptr when it is not set or cannot be loaded.
HMODULE LoadProgramResources();

// The visible top-level windows whose caption is exactly `caption`, of process `processId`
// or, with 0, of any process.
std::vector<HWND> TopLevelWindowsCaptioned(const std::u16string& caption, DWORD processId = 0);

// The texts of every child window, in the order the system lists them.
std::vector<std::u16string> ChildTexts(HWND window);

// Saves what the screen shows of `window` as a 24-bit BMP file. False on any failure.
bool SaveWindowPicture(HWND window, const std::u16string& path);

// The folder for pictures (TESSALY_SCREENSHOT_DIR, a Windows path with its final
// backslash); nothing when it is not set.
std::optional<std::u16string> PictureFolder();

// Waits on a thread of its own for a window of this process captioned `caption`, notes its
// child texts, and presses button `button` of it (a task dialog's command link or a message
// box's button). Stops looking after `limitMs`.
class DialogAnswerer {
 public:
  DialogAnswerer(std::u16string caption, int button, DWORD limitMs = 20000);
  ~DialogAnswerer();
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  // Waits for the thread; afterwards the results below are final.
  void Join();
  bool answered() const { return answered_; }
  const std::vector<std::u16string>& texts() const { return texts_; }

 private:
  void Watch(std::u16string caption, int button, DWORD limitMs);

  std::atomic<bool> stop_{false};
  bool answered_ = false;
  std::vector<std::u16string> texts_;
  std::thread thread_;
};

}  // namespace tessaly::win32
