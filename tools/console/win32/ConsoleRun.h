#pragma once

#include <windows.h>

#include <memory>
#include <ostream>
#include <thread>

#include "config/CheckConfig.h"
#include "diagnosis/CheckBindings.h"
#include "diagnosis/DiagnosisSequence.h"
#include "diagnosis/JsonLinesPageSink.h"
#include "platform/portable/CLibraryRandom.h"
#include "platform/win32/UniqueHandles.h"
#include "platform/win32/Win32CertificateStores.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32CodePages.h"
#include "platform/win32/Win32ConnectionState.h"
#include "platform/win32/Win32Environment.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ModuleLoader.h"
#include "platform/win32/Win32ModuleResources.h"
#include "platform/win32/Win32ProgramPath.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Resolver.h"
#include "platform/win32/Win32SslCacheLibraries.h"
#include "platform/win32/Win32SystemFacts.h"
#include "platform/win32/Win32UrlZones.h"
#include "platform/win32/Win32WholeFiles.h"
#include "platform/win32/Win32WideEnvironment.h"
#include "platform/win32/WinInetSession.h"
#include "platform/win32/WindowTimerService.h"
#include "shell/Settings.h"
#include "tools/console/ConsoleOptions.h"
#include "tools/console/ConsolePrompts.h"
#include "tools/console/ConsoleReportSink.h"
#include "tools/console/VerdictWatcher.h"
#include "usbkey/UsbKeyBindings.h"

namespace tessaly::win32 {

inline constexpr int kExitCompleted = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitTimeout = 3;

// Everything one console run consists of. Lives on the GUI thread's stack for the whole
// message loop; the window procedure reaches it through the window's user data.
class ConsoleRun {
 public:
  // Writes the report to `report` and, when given, the JSON lines to `transcript`.
  ConsoleRun(const ConsoleOptions& options, std::ostream& report, std::ostream* transcript);
  // Waits for the configuration worker, which may still be fetching.
  ~ConsoleRun();
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
  std::ostream* out_;
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
  Win32ModuleLoader modules_;
  UsbKeyBindings usbKeys_{{config_, settings_, watcher_, modules_, clock_, ModuleFilePath()}};
  unique_hwnd window_;
  std::unique_ptr<WindowTimerService> timers_;
  std::unique_ptr<DiagnosisSequence> sequence_;
  std::thread configWorker_;

  bool repairRequested_ = false;
  int exitStatus_ = kExitCompleted;
};

}  // namespace tessaly::win32
