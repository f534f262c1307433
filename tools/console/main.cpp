// TessalyConsole: the program's diagnosis without its window. It runs the same start-up
// hand-over as the program (the configuration worker, the wait for the configuration, the
// diagnosis on window timers through a real message loop), writes every page call as a
// readable line, and with --fix then repairs every failing check item as "一键设置" does.
// With --json FILE every page call is also written to FILE as a line of JSON.
// Exit status: 0 the run completed, 2 usage or start-up error, 3 time-out.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <objbase.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "config/ConfigWorker.h"
#include "diagnosis/CheckBindings.h"
#include "diagnosis/DiagnosisSequence.h"
#include "diagnosis/DiagnosisTimers.h"
#include "diagnosis/JsonLinesPageSink.h"
#include "diagnosis/PageCodes.h"
#include "platform/WindowsFacts.h"
#include "platform/portable/Utf8Codec.h"
#include "platform/win32/UniqueHandles.h"
#include "platform/portable/CLibraryRandom.h"
#include "platform/win32/Win32CertificateStores.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32CodePages.h"
#include "platform/win32/Win32ConnectionState.h"
#include "platform/win32/Win32Environment.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ModuleResources.h"
#include "platform/win32/Win32ProgramPath.h"
#include "platform/win32/Win32Prompts.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Resolver.h"
#include "platform/win32/Win32SslCacheLibraries.h"
#include "platform/win32/Win32SystemFacts.h"
#include "platform/win32/Win32UrlZones.h"
#include "platform/win32/Win32WholeFiles.h"
#include "platform/win32/Win32WideEnvironment.h"
#include "platform/win32/WinInetSession.h"
#include "platform/win32/WindowTimerService.h"
#include "tools/console/ConsoleOptions.h"
#include "tools/console/ConsolePrompts.h"
#include "tools/console/ConsoleReportSink.h"
#include "tools/console/VerdictWatcher.h"

namespace {

using namespace tessaly;
using namespace tessaly::win32;

constexpr int kExitCompleted = 0;
constexpr int kExitUsage = 2;
constexpr int kExitTimeout = 3;

// The console's own timers, clear of the diagnosis's 1 to 18.
constexpr UINT_PTR kStartTimer = 100;
constexpr UINT_PTR kTimeoutTimer = 101;
constexpr UINT kStartPollMs = 300;
// Sent to itself when a run has ended, so that the repair starts from the message loop
// rather than from inside the page call that reported the verdict.
constexpr UINT kRunEndedMessage = WM_APP + 0x60;

// The program's name: it also names the key of the administrator's document override, which
// the console honours just as the program does.
constexpr std::u16string_view kApplicationName = u"Tessaly";

struct ComApartment {
  ComApartment() : ok(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (ok) {
      CoUninitialize();
    }
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool ok;
};

// Everything one console run consists of. Lives on the GUI thread's stack for the whole
// message loop; the window procedure reaches it through the window's user data.
class ConsoleRun {
 public:
  ConsoleRun(const ConsoleOptions& options, std::ostream* transcript)
      : options_(options),
        module_(GetModuleHandleW(nullptr)),
        prompts_(std::cout, [this](unsigned id) { return LoadProgramString(module_, id); }),
        settings_(OpenSettings(registry_, clock_, ModuleFilePath()).settings),
        report_(std::cout),
        json_(transcript != nullptr ? std::make_unique<JsonLinesPageSink>(*transcript, &report_)
                                    : nullptr),
        watcher_(json_ ? static_cast<PageSink&>(*json_) : report_,
                 [this](std::int32_t) { PostMessageW(window_.get(), kRunEndedMessage, 0, 0); }) {}

  ~ConsoleRun() {
    if (configWorker_.joinable()) {
      configWorker_.join();
    }
  }
  ConsoleRun(const ConsoleRun&) = delete;
  ConsoleRun& operator=(const ConsoleRun&) = delete;

  // Runs the whole diagnosis (and repair); answers the exit status.
  int Run();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateMessageWindow();
  void StartConfigWorker();
  void OnStartPoll();
  void OnRunEnded();
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  ConsoleOptions options_;
  HINSTANCE module_;
  Win32Registry registry_;
  Win32Clock clock_;
  Win32CodePages codePages_;
  Win32FileSystem fileSystem_;
  Win32Environment environment_;
  Win32SystemFacts systemFacts_;
  Win32ModuleResources resources_;
  Win32ConnectionState connection_;
  WinInet internet_;
  CLibraryRandom random_{clock_};
  Win32WideEnvironment wideEnvironment_;
  Win32WholeFiles wholeFiles_;
  Win32Resolver resolver_;
  Win32UrlZoneServices zones_;
  Win32SslCacheLibraries sslCache_;
  Win32CertificateStores certificateStores_;
  ConsolePrompts prompts_;
  Settings settings_;
  ConsoleReportSink report_;
  std::unique_ptr<JsonLinesPageSink> json_;
  VerdictWatcher watcher_;

  CheckConfig config_;
  DiagnosisState state_;
  DiagnosisOperations operations_;
  CheckBindings checks_{config_, CheckPlatform{registry_, codePages_, random_, wideEnvironment_,
                                               wholeFiles_, resolver_, internet_, connection_,
                                               zones_, sslCache_, certificateStores_,
                                               resources_}};
  unique_hwnd window_;
  std::unique_ptr<WindowTimerService> timers_;
  std::unique_ptr<DiagnosisSequence> sequence_;
  std::thread configWorker_;

  bool checkRequested_ = false;
  bool repairRequested_ = false;
  int exitStatus_ = kExitCompleted;
};

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

void ConsoleRun::StartConfigWorker() {
  try {
    configWorker_ = std::thread([this] {
      const ConfigPlatform platform{codePages_, fileSystem_, environment_, systemFacts_};
      const ConfigWorkerServices services{internet_, registry_, resources_, platform,
                                          std::u16string(kApplicationName)};
      ConfigWorker(services, {config_, state_.online, state_.configWorkerRunning});
    });
  } catch (const std::system_error&) {
    // No worker: the diagnosis runs on the configuration as it is (empty).
    state_.configWorkerRunning.store(false, std::memory_order_release);
  }
}

// The program starts the first diagnosis by itself only for a user who has chosen a key
// type; the console stands in for the user pressing the page's check button otherwise.
void ConsoleRun::OnStartPoll() {
  const DiagnosisServices services{config_, state_, operations_, *timers_,
                                   watcher_, settings_, prompts_};
  if (!IsConfigurationSettled(services)) {
    return;
  }
  KillTimer(window_.get(), kStartTimer);
  checkRequested_ = true;
  sequence_->check(0);
}

void ConsoleRun::OnRunEnded() {
  if (options_.repair && !repairRequested_) {
    repairRequested_ = true;
    std::cout << "== 一键设置\n";
    sequence_->fix(kRepairAllFailing);
    return;
  }
  PostQuitMessage(exitStatus_);
}

LRESULT ConsoleRun::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (timers_ && timers_->HandleMessage(message, wParam, lParam)) {
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      if (wParam == kStartTimer) {
        OnStartPoll();
      } else if (wParam == kTimeoutTimer) {
        std::cout << "超时: " << options_.timeoutSeconds << " 秒内未完成\n";
        exitStatus_ = kExitTimeout;
        PostQuitMessage(kExitTimeout);
      } else {
        sequence_->OnTimer(static_cast<int>(wParam));
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
    std::cerr << "cannot create the timer window\n";
    return kExitUsage;
  }
  timers_ = std::make_unique<WindowTimerService>(window_.get());
  checks_.BindTo(operations_);
  sequence_ = std::make_unique<DiagnosisSequence>(
      DiagnosisServices{config_, state_, operations_, *timers_, watcher_, settings_, prompts_});

  StartConfigWorker();
  sequence_->OnPageLoaded(OsStepText(systemFacts_, registry_, prompts_),
                          InternetExplorerVersion(registry_));
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
  return status;
}

std::vector<std::u16string> ArgumentsOf(int argc, wchar_t** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) {
    const std::wstring argument(argv[i]);
    arguments.emplace_back(argument.begin(), argument.end());
  }
  return arguments;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Lines are UTF-8 and end in LF whatever the console or pipe.
  _setmode(_fileno(stdout), _O_BINARY);
  const std::vector<std::u16string> arguments = ArgumentsOf(argc, argv);
  const std::optional<ConsoleOptions> options = ParseConsoleOptions(arguments);
  if (!options) {
    std::cerr << EncodeUtf8(kConsoleUsage) << '\n';
    return kExitUsage;
  }
  std::ofstream transcript;
  if (!options->transcriptPath.empty()) {
    const std::wstring path(options->transcriptPath.begin(), options->transcriptPath.end());
    transcript.open(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    if (!transcript) {
      std::cerr << "cannot write " << EncodeUtf8(options->transcriptPath) << '\n';
      return kExitUsage;
    }
  }
  // The zone and security managers of the checks are COM objects of this thread.
  const ComApartment apartment;
  ConsoleRun run(*options, transcript.is_open() ? &transcript : nullptr);
  return run.Run();
}
