#pragma once

#include <windows.h>

#include <memory>
#include <ostream>
#include <thread>

#include "diagnosis/JsonLinesPageSink.h"
#include "platform/win32/UniqueHandles.h"
#include "platform/win32/WindowTimerService.h"
#include "shell/ProgramWindow.h"
#include "shell/core/ProgramCore.h"
#include "shell/win32/Win32ProgramServices.h"
#include "tools/console/ArmedTimers.h"
#include "tools/console/ConsoleOptions.h"
#include "tools/console/ConsolePrompts.h"
#include "tools/console/ConsoleReportSink.h"
#include "tools/console/VerdictWatcher.h"

namespace tessaly::win32 {

inline constexpr int kExitCompleted = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitTimeout = 3;

// One console run: a host of the program core whose page is the report (and the JSON
// transcript) and whose window is a message-only window for the timers. Lives on the GUI
// thread's stack for the whole message loop; the window procedure reaches it through the
// window's user data.
class ConsoleRun final : private ProgramWindow {
 public:
  // Writes the report to `report` and, when given, the JSON lines to `transcript`.
  ConsoleRun(const ConsoleOptions& options, std::ostream& report, std::ostream* transcript);
  ConsoleRun(const ConsoleRun&) = delete;
  ConsoleRun& operator=(const ConsoleRun&) = delete;

  // Runs the whole diagnosis (and repair); answers the exit status.
  int Run();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateMessageWindow();
  void CallPageMethod(ExternalMethodId id, std::int32_t argument);
  void CallPageMethod(ExternalMethodId id);
  void OnStartPoll();
  void OnRunEnded();
  bool NothingLeftToDo() const;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // The console has no window to show, hide or minimise; a page message is reported.
  void Hide() override {}
  void Close() override { PostQuitMessage(exitStatus_); }
  void Minimise() override {}
  void Restore() override {}
  void ShowMessage(std::u16string_view text, std::u16string_view caption) override;

  ConsoleOptions options_;
  HINSTANCE module_;
  std::ostream* out_;
  Win32ProgramServices services_;
  ConsolePrompts prompts_;
  ConsoleReportSink report_;
  std::unique_ptr<JsonLinesPageSink> json_;
  VerdictWatcher watcher_;

  unique_hwnd window_;
  std::unique_ptr<WindowTimerService> windowTimers_;
  std::unique_ptr<ArmedTimers> timers_;
  // Declared last: it waits for its configuration worker when it goes.
  std::unique_ptr<ProgramCore> core_;

  bool repairRequested_ = false;
  int exitStatus_ = kExitCompleted;
};

}  // namespace tessaly::win32
