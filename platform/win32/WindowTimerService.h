#pragma once

#include <windows.h>

#include "platform/TimerService.h"

namespace tessaly::win32 {

// One-shot timers on a window of the GUI thread, delivered as WM_TIMER with the timer's id.
//
// SetTimer and KillTimer only work for a window of the calling thread, so a worker thread's
// Arm or Cancel is posted to the window as a private message instead; the window procedure
// hands those messages to HandleMessage, which then acts on the GUI thread. Posted messages
// keep their order, so a worker's Arm followed by its Cancel ends disarmed.
//
// Window timers repeat until killed; the diagnosis cancels every timer as the first act of
// its handler, which makes them one-shot.
class WindowTimerService final : public TimerService {
 public:
  // The private messages, in the application's range.
  static constexpr UINT kArmMessage = WM_APP + 0x54;
  static constexpr UINT kCancelMessage = WM_APP + 0x55;

  // `window` must belong to the calling thread and outlive this object.
  explicit WindowTimerService(HWND window);

  void Arm(int id, std::uint32_t delayMs) override;
  void Cancel(int id) override;

  // For the window procedure: performs a posted Arm or Cancel and answers true, or answers
  // false for any other message.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  bool OnWindowThread() const;

  HWND window_;
  DWORD windowThread_;
};

}  // namespace tessaly::win32
