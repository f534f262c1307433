#include "tools/console/win32/ConsoleRun.h"

#include <string>

#include "platform/portable/Utf8Codec.h"
#include "platform/win32/Win32Prompts.h"

namespace tessaly::win32 {
namespace {

// The console's own timers, clear of the diagnosis's 1 to 18.
constexpr UINT_PTR kStartTimer = 100;
constexpr UINT_PTR kTimeoutTimer = 101;
// After "一键设置": polls for the installs and their final step to be over.
constexpr UINT_PTR kIdleTimer = 102;
constexpr UINT kIdlePollMs = 100;
constexpr UINT kStartPollMs = 300;
// Sent to itself when a run has ended, so that the repair starts from the message loop
// rather than from inside the page call that reported the verdict.
constexpr UINT kRunEndedMessage = WM_APP + 0x60;

// The program's name: it also names the key of the administrator's document override, which
// the console honours just as the program does.
constexpr std::u16string_view kApplicationName = u"Tessaly";

}  // namespace

ConsoleRun::ConsoleRun(const ConsoleOptions& options, std::ostream& report,
                       std::ostream* transcript)
    : options_(options),
      module_(GetModuleHandleW(nullptr)),
      out_(&report),
      services_(std::u16string(kApplicationName)),
      prompts_(report, [this](unsigned id) { return LoadProgramString(module_, id); },
               options.answer),
      report_(report),
      json_(transcript != nullptr ? std::make_unique<JsonLinesPageSink>(*transcript, &report_)
                                  : nullptr),
      watcher_(json_ ? static_cast<PageSink&>(*json_) : report_,
               [this](std::int32_t) { PostMessageW(window_.get(), kRunEndedMessage, 0, 0); }) {}

void ConsoleRun::ShowMessage(std::u16string_view text, std::u16string_view caption) {
  *out_ << EncodeUtf8(caption) << ": " << EncodeUtf8(text) << '\n';
}

LRESULT CALLBACK ConsoleRun::WindowProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  auto* run = reinterpret_cast<ConsoleRun*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (run == nullptr) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return run->OnMessage(message, wParam, lParam);
}

bool ConsoleRun::CreateMessageWindow() {
  static constexpr wchar_t kClassName[] = L"TessalyConsoleTimers";
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &ConsoleRun::WindowProc;
  windowClass.hInstance = module_;
  windowClass.lpszClassName = kClassName;
  if (RegisterClassW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  window_.reset(CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                module_, nullptr));
  if (!window_) {
    return false;
  }
  SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return true;
}

void ConsoleRun::CallPageMethod(ExternalMethodId id, std::int32_t argument) {
  const MethodArgument arguments[] = {argument};
  core_->Call(*FindExternalMethod(id), arguments);
}

void ConsoleRun::CallPageMethod(ExternalMethodId id) {
  core_->Call(*FindExternalMethod(id), {});
}

// The program starts the first diagnosis by itself only for a user who has chosen a key
// type; the console stands in for the user pressing the page's check button otherwise.
void ConsoleRun::OnStartPoll() {
  if (!core_->IsConfigurationSettled()) {
    return;
  }
  KillTimer(window_.get(), kStartTimer);
  if (!core_->StartsFirstDiagnosis()) {
    CallPageMethod(kCheck, 0);
  }
}

void ConsoleRun::OnRunEnded() {
  if (options_.repair && !repairRequested_) {
    repairRequested_ = true;
    *out_ << "== 一键设置\n";
    // What the page's one-click button calls.
    CallPageMethod(kSite);
    CallPageMethod(kInstallAndFix);
    SetTimer(window_.get(), kIdleTimer, kIdlePollMs, nullptr);
    return;
  }
  if (NothingLeftToDo()) {
    PostQuitMessage(exitStatus_);
  }
}

// The run ends once the repair (or the diagnosis, without --fix) has given its verdict and
// no install or timer is left: the installs end with a final step of their own.
bool ConsoleRun::NothingLeftToDo() const {
  return !core_->InstallsPending() && !timers_->AnyArmed();
}

LRESULT ConsoleRun::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (windowTimers_ && windowTimers_->HandleMessage(message, wParam, lParam)) {
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      if (wParam == kStartTimer) {
        OnStartPoll();
      } else if (wParam == kIdleTimer) {
        if (NothingLeftToDo()) {
          PostQuitMessage(exitStatus_);
        }
      } else if (wParam == kTimeoutTimer) {
        *out_ << "超时: " << options_.timeoutSeconds << " 秒内未完成\n";
        exitStatus_ = kExitTimeout;
        PostQuitMessage(kExitTimeout);
      } else {
        core_->OnTimer(static_cast<int>(wParam));
      }
      return 0;
    case kRunEndedMessage:
      OnRunEnded();
      return 0;
    default:
      return DefWindowProcW(window_.get(), message, wParam, lParam);
  }
}

int ConsoleRun::Run() {
  if (!CreateMessageWindow()) {
    *out_ << "cannot create the timer window\n";
    return kExitUsage;
  }
  windowTimers_ = std::make_unique<WindowTimerService>(window_.get());
  timers_ = std::make_unique<ArmedTimers>(*windowTimers_);
  core_ = std::make_unique<ProgramCore>(services_.Platform(),
                                        ProgramHost{*timers_, watcher_, prompts_, *this});
  core_->StartConfigWorker();
  core_->OnPageLoaded();
  SetTimer(window_.get(), kStartTimer, kStartPollMs, nullptr);
  SetTimer(window_.get(), kTimeoutTimer, options_.timeoutSeconds * 1000u, nullptr);

  MSG message;
  int status = kExitCompleted;
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      status = static_cast<int>(message.wParam);
      break;
    }
    if (got == -1) {
      status = kExitUsage;
      break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // Nothing may reach this object through the window once the loop has ended.
  SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
  core_.reset();
  return status;
}

}  // namespace tessaly::win32
