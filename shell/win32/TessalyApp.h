#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/win32/PageRealisation.h"

namespace tessaly::win32 {

// The per-logon single-instance mutex.
inline constexpr wchar_t kInstanceMutexName[] = L"Local\\9B4BFD6D-8E84-4680-BCD1-99FCD2D5ADE0";
// How long a start with "/update" waits for the previous copy (".old") to become
// deletable: the instance that started it is ending, normally within a second; a copy that
// another process keeps open is given up after this, and the program starts anyway.
inline constexpr std::uint32_t kOldCopyWaitMs = 30000;
inline constexpr std::uint32_t kOldCopyRetryMs = 100;
// How long the program waits, once its window is gone, for its workers to end after their
// downloads were cancelled and their prompts answered; one that still runs then (it waits
// for an installer) ends with the process, and the installer is left to finish on its own.
inline constexpr std::uint32_t kWorkerEndLimitMs = 3000;
// How long a start with "/update" waits for the instance that started it to end, whatever
// the program file is called (a ".old" copy exists only when the new file took the
// program's own name). One that still runs after this is a real second instance.
inline constexpr std::uint32_t kOldInstanceWaitMs = 30000;

// The program's entry: one instance per logon (a second start brings the first one's
// window back and ends), the hand-over of a self-update ("/update"), then the main window
// until it closes.
class CTessalyApp {
 public:
  // `arguments` is the command line split, the program's name first; `outsidePage` as for
  // CTessalyDlg. Answers the exit code.
  int Run(HINSTANCE module, const std::vector<std::u16string>& arguments,
          PageRealisation* outsidePage = nullptr);
};

// Deletes `path` when it exists, retrying every `retryMs` while it cannot be deleted, for
// at most `limitMs`. True when the file is gone.
bool DeleteWhenReleased(const std::u16string& path, std::uint32_t limitMs, std::uint32_t retryMs);

// Waits, for at most `limitMs`, until the instance that holds the single-instance `mutex`
// has let go of it (or ended), and takes it over. False when it still holds it then.
bool TakeOverFromEndingInstance(HANDLE mutex, std::uint32_t limitMs);

// Brings the running instance's window back, as a left click on its tray icon would.
// False when no such window was found.
bool SignalRunningInstance();

// The command line split as the program sees it.
std::vector<std::u16string> ProgramArguments();

}  // namespace tessaly::win32
