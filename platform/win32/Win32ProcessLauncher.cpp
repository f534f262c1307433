#include "platform/win32/Win32ProcessLauncher.h"

#include <windows.h>

#include <string>

#include "platform/win32/UniqueHandles.h"
#include "platform/win32/WideText.h"

namespace tessaly::win32 {

bool Win32ProcessLauncher::RunCommand(std::u16string_view commandLine, bool wait) {
  if (commandLine.empty() || commandLine.size() > kMaxCommandLineLength ||
      commandLine.find(u'\0') != std::u16string_view::npos) {
    return false;
  }
  // CreateProcessW may write into the command line it is given, so it gets its own copy
  // of the whole line.
  std::u16string writable(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION created{};
  {
    const std::lock_guard<std::mutex> starting(starting_);
    if (refused_ || !CreateProcessW(nullptr, AsWide(writable), nullptr, nullptr, FALSE, 0,
                                    nullptr, nullptr, &startup, &created)) {
      return false;
    }
  }
  const unique_handle process(created.hProcess);
  const unique_handle thread(created.hThread);
  if (wait) {
    WaitForSingleObject(process.get(), INFINITE);
  }
  return true;
}

void Win32ProcessLauncher::RefuseNewProcesses() {
  const std::lock_guard<std::mutex> starting(starting_);
  refused_ = true;
}

}  // namespace tessaly::win32
