#include "platform/win32/WindowTimerService.h"

namespace tessaly::win32 {
namespace {

// USER clamps shorter intervals to this anyway; zero would mean "as soon as possible" on
// some versions and the minimum on others.
constexpr UINT kMinimumDelayMs = USER_TIMER_MINIMUM;

UINT_PTR TimerIdOf(int id) { return static_cast<UINT_PTR>(static_cast<unsigned>(id)); }

}  // namespace

WindowTimerService::WindowTimerService(HWND window)
    : window_(window), windowThread_(GetWindowThreadProcessId(window, nullptr)) {}

bool WindowTimerService::OnWindowThread() const {
  return GetCurrentThreadId() == windowThread_;
}

void WindowTimerService::Arm(int id, std::uint32_t delayMs) {
  if (!OnWindowThread()) {
    PostMessageW(window_, kArmMessage, TimerIdOf(id), static_cast<LPARAM>(delayMs));
    return;
  }
  // SetTimer with the id of an armed timer replaces it, which is the re-arming rule.
  SetTimer(window_, TimerIdOf(id), delayMs < kMinimumDelayMs ? kMinimumDelayMs : delayMs,
           nullptr);
}

void WindowTimerService::Cancel(int id) {
  if (!OnWindowThread()) {
    PostMessageW(window_, kCancelMessage, TimerIdOf(id), 0);
    return;
  }
  KillTimer(window_, TimerIdOf(id));
}

bool WindowTimerService::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const int id = static_cast<int>(wParam);
  if (message == kArmMessage) {
    Arm(id, static_cast<std::uint32_t>(lParam));
    return true;
  }
  if (message == kCancelMessage) {
    Cancel(id);
    return true;
  }
  return false;
}

}  // namespace tessaly::win32
