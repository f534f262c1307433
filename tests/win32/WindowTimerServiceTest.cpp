#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "platform/win32/UniqueHandles.h"
#include "platform/win32/WindowTimerService.h"

namespace tessaly::win32 {
namespace {

// A message-only window whose WM_TIMERs are recorded (and killed, as the diagnosis's
// handlers cancel their timer first), and which hands the service's private messages to it.
class TimerWindow {
 public:
  TimerWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &TimerWindow::Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TessalyTimerTest";
    RegisterClassW(&windowClass);
    window_.reset(CreateWindowExW(0, L"TessalyTimerTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, GetModuleHandleW(nullptr), nullptr));
    SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    timers_ = std::make_unique<WindowTimerService>(window_.get());
  }

  HWND Handle() const { return window_.get(); }
  WindowTimerService& Timers() { return *timers_; }
  const std::vector<int>& Fired() const { return fired_; }

  // Pumps messages for `milliseconds`.
  void Pump(DWORD milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
      }
    }
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TimerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && self->timers_->HandleMessage(message, wParam, lParam)) {
      return 0;
    }
    if (self != nullptr && message == WM_TIMER) {
      self->timers_->Cancel(static_cast<int>(wParam));
      self->fired_.push_back(static_cast<int>(wParam));
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  unique_hwnd window_;
  std::unique_ptr<WindowTimerService> timers_;
  std::vector<int> fired_;
};

TEST(WindowTimerService, ArmedTimersFireOnceInDueOrder) {
  TimerWindow window;
  ASSERT_NE(window.Handle(), nullptr);
  window.Timers().Arm(8, 150);
  window.Timers().Arm(4, 20);
  window.Timers().Arm(7, 20);
  window.Timers().Cancel(7);
  window.Timers().Cancel(12);  // never armed: no error
  window.Pump(400);
  EXPECT_EQ(window.Fired(), (std::vector<int>{4, 8}));
}

TEST(WindowTimerService, ReArmingReplacesTheEarlierDelay) {
  TimerWindow window;
  window.Timers().Arm(1, 30);
  window.Timers().Arm(2, 120);
  window.Timers().Arm(1, 250);
  window.Pump(400);
  EXPECT_EQ(window.Fired(), (std::vector<int>{2, 1}));
}

TEST(WindowTimerService, WorkerThreadsArmAndCancelThroughTheWindow) {
  TimerWindow window;
  std::thread worker([&] {
    window.Timers().Arm(5, 10);
    window.Timers().Arm(6, 10);
    window.Timers().Cancel(6);
  });
  worker.join();
  // Nothing is armed until the GUI thread has taken the posted requests.
  EXPECT_TRUE(window.Fired().empty());
  window.Pump(300);
  EXPECT_EQ(window.Fired(), (std::vector<int>{5}));
}

}  // namespace
}  // namespace tessaly::win32
